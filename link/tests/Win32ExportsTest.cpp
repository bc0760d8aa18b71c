// tarvik.dll answers to each function's decorated and plain name, and a program linked through
// the import library reaches it.

#include "link/tarvik.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {

TEST(Win32ExportsTest, EveryFunctionResolvesByBothNamesToOneAddress) {
    const struct {
        const char* name;
        int argumentBytes;
    } kExports[] = {
        {"comm_open", 8},
        {"comm_open_str", 8},
        {"comm_close", 0},
        {"comm_is_open", 0},
        {"comm_set_connection_type", 4},
        {"comm_set_modem_dial_string", 4},
        {"put_raw_char", 4},
        {"get_raw_char", 4},
        {"put_raw_string", 4},
        {"raw_char_waiting", 0},
        {"sentra_attention", 0},
        {"put_message", 8},
        {"get_message", 8},
        {"get_message_size", 0},
        {"get_status", 0},
        {"get_statistics", 4},
        {"comm_reset", 0},
        {"link_timer", 0},
        {"read_buffer", 0},
        {"windll_link_timer", 16},
    };
    HMODULE library = ::LoadLibraryA("tarvik.dll");
    ASSERT_NE(library, nullptr) << ::GetLastError();
    for (const auto& e : kExports) {
        const std::string decorated = "_" + std::string(e.name) + "@" + std::to_string(e.argumentBytes);
        FARPROC plain = ::GetProcAddress(library, e.name);
        EXPECT_NE(plain, nullptr) << e.name;
        EXPECT_EQ(::GetProcAddress(library, decorated.c_str()), plain) << decorated;
    }
    EXPECT_EQ(::GetProcAddress(library, "_ZN6tarvik12SetPortLayerEPKNS_9PortLayerE"), nullptr);
    ::FreeLibrary(library);
}

TEST(Win32ExportsTest, AMissingPortFailsAndLeavesTheLinkClosed) {
    EXPECT_EQ(comm_open_str("COM97", 57600), COMM_OPEN_NO_DEVICE);
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_EQ(get_status() & STATUS_CLOSED, STATUS_CLOSED);
    EXPECT_EQ(comm_timer_fd(), -1);
}

}  // namespace
