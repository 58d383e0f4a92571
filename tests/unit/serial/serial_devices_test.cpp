// How the machine's serial devices are described: the stable by-id name behind a kernel name,
// the order they are offered in, and who holds a device.
#include "serial/serial_devices.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.hpp"

namespace climate {
namespace {

namespace fs = std::filesystem;

TEST(SerialDevices, StableNamesOrderAndHolders) {
  test::TempDir dir("climate-devices");
  const std::string adapter = dir.File("ttyUSB0");
  const std::string other = dir.File("ttyACM0");
  std::ofstream(adapter) << "";
  std::ofstream(other) << "";
  fs::create_directory(dir.File("by-id"));
  fs::create_symlink(other, dir.File("by-id/usb-Arduino_Uno_1234-if00"));
  fs::create_symlink("../ttyUSB0", dir.File("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
  EXPECT_EQ(StablePathFor(adapter, dir.File("by-id")),
            dir.File("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
  EXPECT_EQ(StablePathFor(dir.File("ttyS0"), dir.File("by-id")), "");
  EXPECT_EQ(StablePathFor(adapter, dir.File("no-such-folder")), "");

  std::vector<DetectedDevice> devices = {
      {"/dev/ttyS1", "/dev/ttyS1", "", "", "", false},
      {"/dev/serial/by-id/b", "/dev/ttyUSB1", "", "", "", false},
      {"/dev/ttyS0", "/dev/ttyS0", "", "", "", false},
      {"/dev/serial/by-id/a", "/dev/ttyUSB0", "", "", "", false}};
  SortDevices(devices);
  std::vector<std::string> order;
  for (const DetectedDevice& device : devices) order.push_back(device.systemPath);
  EXPECT_EQ(order,
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"}));

  // Nobody holds it; then this process does (in use, but no other program); then a child does,
  // reached through the by-id link.
  EXPECT_FALSE(DeviceInUse(adapter));
  const int own = ::open(adapter.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  EXPECT_TRUE(DeviceInUse(adapter));
  EXPECT_FALSE(FindDeviceHolder(adapter).has_value());
  ::close(own);
  // The one-look form the device list uses, on a terminal this process holds.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string terminal = ::ptsname(master);
  EXPECT_EQ(DevicesInUse({terminal, "/dev/null-no-such"}), (std::vector<bool>{false, false}));
  const int slave = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  EXPECT_EQ(DevicesInUse({terminal, "/dev/null-no-such"}), (std::vector<bool>{true, false}));
  ::close(slave);
  ::close(master);

  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open(other.c_str(), O_RDONLY);
    const char byte = fd >= 0 ? 'y' : 'n';
    (void)!::write(ready[1], &byte, 1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  const std::optional<DeviceHolder> holder =
      FindDeviceHolder(dir.File("by-id/usb-Arduino_Uno_1234-if00"));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(byte, 'y');
  ASSERT_TRUE(holder.has_value());
  EXPECT_EQ(holder->pid, child);
  EXPECT_FALSE(holder->program.empty());
}

}  // namespace
}  // namespace climate
