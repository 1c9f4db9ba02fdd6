// Which builds may really power the computer off: never one pointed at this machine.
#include <gtest/gtest.h>

#include "platform/power_off.h"

namespace tieba::test {
namespace {

TEST(AddressIsOnThisMachine, OnlyForLoopbackHosts)
{
    EXPECT_TRUE(addressIsOnThisMachine("http://127.0.0.1:18080"));
    EXPECT_TRUE(addressIsOnThisMachine("http://127.1.2.3/"));
    EXPECT_TRUE(addressIsOnThisMachine("http://localhost:8080/m"));
    EXPECT_TRUE(addressIsOnThisMachine("http://[::1]:18080"));
    EXPECT_FALSE(addressIsOnThisMachine("http://wapp.baidu.com"));
    EXPECT_FALSE(addressIsOnThisMachine("http://127example.com/"));
    EXPECT_FALSE(addressIsOnThisMachine("http://localhost.example.com"));
    EXPECT_FALSE(addressIsOnThisMachine(""));
}

} // namespace
} // namespace tieba::test
