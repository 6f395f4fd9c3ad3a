// Windows: the single-instance rule's named mutex. The second claim of a
// name is refused while the first claim's handle lives, which is for the
// rest of the process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "utils/system/single_instance.h"

namespace {

TEST(SingleInstance, SecondClaimOfTheMutexIsRefused) {
    const std::wstring name = L"Tavo_Test_Mutex_" + std::to_wstring(GetCurrentProcessId());
    EXPECT_TRUE(Utils::AcquireSingleInstance(name));
    EXPECT_FALSE(Utils::AcquireSingleInstance(name)) << "the name stays taken";
    EXPECT_TRUE(Utils::AcquireSingleInstance(name + L"_other")) << "another name is free";
}

}  // namespace
