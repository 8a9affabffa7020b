#include "testregistry.h"

#include <QtTest>
#ifdef TW_GUI_TESTS
#include <QApplication>
#endif

namespace tw::test {
std::vector<TestFactory>& testRegistry() {
    static std::vector<TestFactory> registry;
    return registry;
}
} // namespace tw::test

int main(int argc, char** argv) {
#ifdef TW_GUI_TESTS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Options such as -v2 apply to every class; a function name selects it where it exists.
    // QtTest's crash handler attaches a debugger and can loop on a crash, ignoring the
    // time-out's SIGTERM: a crash must end the program so that the run goes on.
    QStringList args = app.arguments();
    if (!args.contains(QStringLiteral("-nocrashhandler")))
        args.insert(1, QStringLiteral("-nocrashhandler"));
    int failed = 0;
    for (const auto& make : tw::test::testRegistry()) {
        auto test = make();
        failed += QTest::qExec(test.get(), args);
    }
    return failed == 0 ? 0 : 1;
}
