#pragma once
// Each test source registers its QtTest classes here; the shared main runs them all,
// so a module folder is one test program without a hand-kept list.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace tw::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<TestFactory>& testRegistry();

struct TestRegistrar {
    explicit TestRegistrar(TestFactory f) { testRegistry().push_back(std::move(f)); }
};

} // namespace tw::test

#define TW_REGISTER_TEST(Class)                                                                    \
    static const ::tw::test::TestRegistrar tw_registrar_##Class(                                   \
        [] { return std::unique_ptr<QObject>(new Class); });
