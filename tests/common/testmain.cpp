#include "testregistry.h"

#include <QMetaMethod>
#include <QSet>
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

namespace {

// QtTest options that take a value: the value is not a test function name.
bool takesValue(const QString& option) {
    static const QSet<QString> withValue = {QStringLiteral("-o"),
                                            QStringLiteral("-maxwarnings"),
                                            QStringLiteral("-eventdelay"),
                                            QStringLiteral("-keydelay"),
                                            QStringLiteral("-mousedelay"),
                                            QStringLiteral("-seed"),
                                            QStringLiteral("-platform"),
                                            QStringLiteral("-minimumvalue"),
                                            QStringLiteral("-minimumtotal"),
                                            QStringLiteral("-iterations"),
                                            QStringLiteral("-median"),
                                            QStringLiteral("-repeat")};
    return withValue.contains(option);
}

bool hasFunction(const QObject* test, const QString& selector) {
    const QString name = selector.section(QLatin1Char(':'), 0, 0).section(QLatin1Char('('), 0, 0);
    const QMetaObject* meta = test->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        if (QString::fromLatin1(meta->method(i).name()) == name)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
#ifdef TW_GUI_TESTS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // QtTest's crash handler attaches a debugger and can loop on a crash, ignoring the
    // time-out's SIGTERM: a crash must end the program so that the run goes on.
    QStringList options{app.arguments().value(0)};
    QStringList selectors;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i].startsWith(QLatin1Char('-'))) {
            options << args[i];
            if (takesValue(args[i]) && i + 1 < args.size())
                options << args[++i];
        } else {
            selectors << args[i];
        }
    }
    if (!options.contains(QStringLiteral("-nocrashhandler")))
        options << QStringLiteral("-nocrashhandler");

    // Options apply to every class; a test function named on the command line runs in the
    // classes that have it, and the other classes are skipped.
    int failed = 0;
    for (const auto& make : tw::test::testRegistry()) {
        auto test = make();
        QStringList own;
        for (const QString& s : selectors) {
            if (hasFunction(test.get(), s))
                own << s;
        }
        if (!selectors.isEmpty() && own.isEmpty())
            continue;
        failed += QTest::qExec(test.get(), options + own);
    }
    return failed == 0 ? 0 : 1;
}
