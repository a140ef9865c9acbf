#pragma once
// What the host needs of a result-entry screen. The screens are QDialogs; the form lifecycle
// implements this for all of them.

namespace corvane {

class ResultScreen {
public:
    virtual ~ResultScreen() = default;

    // Desktop position in pixels. setTop comes first: a screen may run its opening steps there.
    virtual void setTop(int pixels) = 0;
    virtual void setLeft(int pixels) = 0;
    // Loads the stored result of the session's request, or the defaults of a new one.
    virtual void Fill_Results() = 0;
    // Runs the screen modally, without an owner window; returns when it closes.
    virtual int showModal() = 0;

protected:
    ResultScreen() = default;
    ResultScreen(const ResultScreen &) = default;
    ResultScreen &operator=(const ResultScreen &) = default;
};

} // namespace corvane
