// Opening and closing the port, the modem path and unframed I/O, through an injected port layer.

#include "link/tests/FakeLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using Bytes = std::vector<uint8_t>;

namespace {

const Bytes kResetRequest{0x24, 0x02, 0xBF, 0x41};

class PortTest : public ::testing::Test {
protected:
    void SetUp() override { line = &vexlan::test::Install(); }
    void TearDown() override { vexlan::test::Uninstall(); }
    vexlan::test::FakeLine* line = nullptr;
};

#ifdef _WIN32
TEST_F(PortTest, PortNumbersAreTheSystemsPortNames) {
    EXPECT_EQ(comm_open(10, 9600), COMM_OPEN_BAD_PORT);
    ASSERT_EQ(comm_open(3, 57600), 0);
    EXPECT_EQ(line->openedDevice, "COM3");
    comm_close();
    ASSERT_EQ(comm_open_str("COM12", 57600), 0);
    EXPECT_EQ(line->openedDevice, "COM12");
}
#else
TEST_F(PortTest, PortNumbersMapToDevices) {
    EXPECT_EQ(comm_open(0, 9600), COMM_OPEN_BAD_PORT);
    EXPECT_EQ(comm_open(10, 9600), COMM_OPEN_BAD_PORT);
    EXPECT_EQ(comm_open(-3, 9600), COMM_OPEN_BAD_PORT);
    EXPECT_TRUE(line->openedDevice.empty());

    ASSERT_EQ(comm_open(1, 115200), 0);
    EXPECT_EQ(line->openedDevice, "/dev/ttyS0");
    EXPECT_EQ(line->configuredBaud, 115200);
    comm_close();

    ::setenv("TARVIK_COM3", "/dev/ttyUSB0", 1);
    ASSERT_EQ(comm_open(3, 57600), 0);
    EXPECT_EQ(line->openedDevice, "/dev/ttyUSB0");
    comm_close();
    ASSERT_EQ(comm_open_str("COM3", 57600), 0);  // the same mapping for a port name
    EXPECT_EQ(line->openedDevice, "/dev/ttyUSB0");
    comm_close();
    ::unsetenv("TARVIK_COM3");

    ASSERT_EQ(comm_open_str("COM9", 57600), 0);
    EXPECT_EQ(line->openedDevice, "/dev/ttyS8");
    comm_close();
    ASSERT_EQ(comm_open_str("COM10x", 57600), 0);  // not a port name: a path as given
    EXPECT_EQ(line->openedDevice, "COM10x");
}
#endif

TEST_F(PortTest, SecondOpenChangesNothing) {
    ASSERT_EQ(comm_open(2, 115200), 0);
    line->TakeWritten();
    EXPECT_EQ(comm_open(2, 9600), COMM_OPEN_BAD_PORT);
    EXPECT_EQ(comm_open_str("/dev/other", 9600), COMM_OPEN_BAD_PORT);
    EXPECT_EQ(line->opens, 1);
    EXPECT_EQ(line->configuredBaud, 115200);
    EXPECT_EQ(comm_is_open(), 1);
    EXPECT_TRUE(line->TakeWritten().empty());
}

TEST_F(PortTest, EachFailedOpenLeavesThePortClosed) {
    struct Case {
        const char* name;
        bool vexlan::test::FakeLine::*fault;
        int16_t result;
        int closes, restores;
    } cases[] = {
        {"device", &vexlan::test::FakeLine::openFails, COMM_OPEN_NO_DEVICE, 0, 0},
        {"settings", &vexlan::test::FakeLine::saveFails, COMM_OPEN_NO_SETTINGS, 1, 0},
        {"configure", &vexlan::test::FakeLine::configureFails, COMM_OPEN_NO_CONFIG, 1, 1},
        {"timer", &vexlan::test::FakeLine::timerFails, COMM_OPEN_NO_TIMER, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line = &vexlan::test::Install();
        line->*c.fault = true;
        EXPECT_EQ(comm_open_str("/dev/fake", 115200), c.result);
        EXPECT_EQ(comm_is_open(), 0);
        EXPECT_EQ(get_status() & STATUS_CLOSED, STATUS_CLOSED);
        EXPECT_EQ(line->closes, c.closes);
        EXPECT_EQ(line->restores, c.restores);
        EXPECT_TRUE(line->written.empty());  // no link reset went out
        // The port is usable again once the fault is gone.
        line->*c.fault = false;
        EXPECT_EQ(comm_open_str("/dev/fake", 115200), 0);
        EXPECT_EQ(comm_is_open(), 1);
    }
}

TEST_F(PortTest, CloseRestoresSettingsOnce) {
    ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
    comm_close();
    comm_close();
    EXPECT_EQ(line->restores, 1);
    EXPECT_EQ(line->closes, 1);
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_EQ(comm_timer_fd(), -1);
}

TEST_F(PortTest, ModemRunsAt9600BaudWithItsWaits) {
    comm_set_connection_type(CONNECTION_MODEM);
    comm_set_modem_dial_string("W0123,456");
    line->carrierAtPoll = 1;
    ASSERT_EQ(comm_open(1, 115200), 0);
    EXPECT_EQ(line->configuredBaud, 9600);
    const std::string dial = "ATZ\rATDW0123,456\r";
    Bytes expected(dial.begin(), dial.end());
    expected.insert(expected.end(), kResetRequest.begin(), kResetRequest.end());
    EXPECT_EQ(line->written, expected);
    // Carrier at the first poll still costs 3000 + 5000 + 1000 ms.
    EXPECT_EQ(line->sleptMs, 9000u);
    EXPECT_EQ(line->polls, 1);
    ASSERT_FALSE(line->writeTimes.empty());
    EXPECT_EQ(line->writeTimes.front(), 3000u);  // ATZ after the first wait
    EXPECT_EQ(line->writeTimes.back(), 9000u);   // the link reset after the last poll
}

TEST_F(PortTest, ModemCarrierLateOrNever) {
    comm_set_connection_type(CONNECTION_MODEM);
    line->carrierAtPoll = 30;
    ASSERT_EQ(comm_open(1, 9600), 0);
    EXPECT_EQ(line->polls, 30);
    EXPECT_EQ(line->sleptMs, 8000u + 30000u);
    comm_close();

    line = &vexlan::test::Install();
    comm_set_connection_type(CONNECTION_MODEM);
    line->carrierAtPoll = 0;
    EXPECT_EQ(comm_open(1, 9600), COMM_OPEN_NO_CARRIER);
    EXPECT_EQ(line->polls, 30);
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_EQ(line->restores, 1);
    EXPECT_EQ(line->closes, 1);

    // Modem lines that cannot be read never count as a carrier.
    line = &vexlan::test::Install();
    comm_set_connection_type(CONNECTION_MODEM);
    line->modemLinesFail = true;
    EXPECT_EQ(comm_open(1, 9600), COMM_OPEN_NO_CARRIER);
    EXPECT_EQ(line->sleptMs, 8000u + 30000u);
}

TEST_F(PortTest, DialStringIsCutTo254Characters) {
    comm_set_connection_type(CONNECTION_MODEM);
    line->carrierAtPoll = 1;
    const std::string longDial(300, '7');
    comm_set_modem_dial_string(longDial.c_str());
    ASSERT_EQ(comm_open(1, 9600), 0);
    const std::string sent(line->written.begin(), line->written.end());
    EXPECT_EQ(sent.substr(0, 4 + 3 + 254 + 1), "ATZ\rATD" + std::string(254, '7') + "\r");
}

TEST_F(PortTest, ConnectionTypeOtherThanModemIsDirect) {
    comm_set_connection_type(7);
    ASSERT_EQ(comm_open(1, 57600), 0);
    EXPECT_EQ(line->configuredBaud, 57600);
    EXPECT_EQ(line->sleptMs, 0u);
    EXPECT_EQ(line->written, kResetRequest);
}

TEST_F(PortTest, RawInputAndOutput) {
    uint8_t byte = 0;
    EXPECT_EQ(put_raw_char('x'), -1);
    EXPECT_EQ(get_raw_char(&byte), 0);
    EXPECT_EQ(raw_char_waiting(), 0);
    put_raw_string("lost");
    sentra_attention();
    EXPECT_TRUE(line->written.empty());

    ASSERT_EQ(comm_open_str("/dev/fake", 115200), 0);
    line->TakeWritten();
    EXPECT_EQ(put_raw_char(0x1324), 1);  // low 8 bits only
    put_raw_string("AT\r");
    EXPECT_EQ(line->TakeWritten(), (Bytes{0x24, 'A', 'T', '\r'}));  // no escaping, no framing

    EXPECT_EQ(get_raw_char(&byte), 0);  // nothing waiting: at once
    EXPECT_EQ(raw_char_waiting(), 0);
    line->Receive({0xAA, 0x24});
    EXPECT_EQ(raw_char_waiting(), 1);
    ASSERT_EQ(get_raw_char(&byte), 1);
    EXPECT_EQ(byte, 0xAA);
    ASSERT_EQ(get_raw_char(&byte), 1);
    EXPECT_EQ(byte, 0x24);
    EXPECT_EQ(raw_char_waiting(), 0);

    sentra_attention();
    EXPECT_EQ(line->TakeWritten(), Bytes(1320, 0x55));
}

}  // namespace
