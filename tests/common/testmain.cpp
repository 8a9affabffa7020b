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
    int failed = 0;
    for (const auto& make : tw::test::testRegistry()) {
        auto test = make();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
