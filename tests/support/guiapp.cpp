// One QApplication for the whole test program (offscreen platform, set by the test runner).

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

class GuiApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[8] = "tests";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto *const g_app = ::testing::AddGlobalTestEnvironment(new GuiApplication);

} // namespace
