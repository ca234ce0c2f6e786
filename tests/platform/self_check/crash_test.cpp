// Deliberate crashes: the test runner must report both as failures. Run by
// scripts/test-windows --self-check, never by the default suite.

#include <gtest/gtest.h>

#include <thread>

namespace {

void writeThroughNull() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST(SelfCheck, CrashInTheTestBodyFails) {
    writeThroughNull();
}

TEST(SelfCheck, CrashOnAnotherThreadFails) {
    std::thread crashing(writeThroughNull);
    crashing.join();
}

}  // namespace
