// The shared library exports exactly its C functions, under their plain names.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kExports = {
    "comm_open",
    "comm_open_str",
    "comm_close",
    "comm_is_open",
    "comm_set_connection_type",
    "comm_set_modem_dial_string",
    "put_raw_char",
    "get_raw_char",
    "put_raw_string",
    "raw_char_waiting",
    "sentra_attention",
    "put_message",
    "get_message",
    "get_message_size",
    "get_status",
    "get_statistics",
    "comm_reset",
    "link_timer",
    "read_buffer",
    "windll_link_timer",
    "comm_timer_fd",  // hands the link timer to the host's event loop
};

TEST(ExportsTest, EveryFunctionResolvesByItsPlainName) {
    void* library = ::dlopen(TARVIK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    for (const std::string& name : kExports) EXPECT_NE(::dlsym(library, name.c_str()), nullptr) << name;
    // Internals stay hidden.
    EXPECT_EQ(::dlsym(library, "_ZN6tarvik12SetPortLayerEPKNS_9PortLayerE"), nullptr);
    ::dlclose(library);
}

TEST(ExportsTest, NothingElseIsExported) {
    const std::string command = std::string("nm -D --defined-only ") + TARVIK_LIBRARY_PATH;
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> functions;
    std::array<char, 512> line;
    while (std::fgets(line.data(), line.size(), pipe)) {
        char address[64], type[8], name[400];
        if (std::sscanf(line.data(), "%63s %7s %399s", address, type, name) != 3) continue;
        EXPECT_TRUE(std::string(type) == "T" || std::string(type) == "W" || std::string(type) == "w")
            << "unexpected symbol " << name << " of type " << type;
        if (std::string(type) == "T") functions.push_back(name);
    }
    ASSERT_EQ(::pclose(pipe), 0);
    std::vector<std::string> expected = kExports;
    std::sort(expected.begin(), expected.end());
    std::sort(functions.begin(), functions.end());
    EXPECT_EQ(functions, expected);
}

}  // namespace
