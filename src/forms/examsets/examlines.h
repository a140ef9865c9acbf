#pragma once
// The exam lines of a request, read through the shared connection for the exam-entry list.

#include <controls/examentry.h>

namespace corvane {

class SessionExamLines : public ExamLineSource {
public:
    QList<ExamLine> examLines(const QString &requestNum, int entryMode) override;
};

} // namespace corvane
