// File access where the system has FIFOs, sockets and endless devices.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "core/platform/file_access.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::Bytes;

Step FailureOf(const std::string& path) {
  ByteBlock buffer;
  Error why;
  EXPECT_FALSE(ReadWholeFile(path, buffer, &why)) << path;
  return why.step;
}

// Pipes, FIFOs and devices are read as streams: looked at as soon as their
// first bytes are in, and never past the stream limit.
TEST(ReadWholeFile, StreamsStopAtFirstBytesTheCallerDoesNotRead) {
  testing::TempFolder dir;
  Bytes bytes(100000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  const std::string fifo = dir.Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { testing::WriteBytes(fifo, bytes); });
  ByteBlock buffer;
  const bool read = ReadWholeFile(fifo, buffer);
  writer.join();
  ASSERT_TRUE(read);
  EXPECT_TRUE(buffer.size() == bytes.size() && std::equal(bytes.begin(), bytes.end(), buffer.data()));

  // An endless device is refused after its first bytes, which are kept.
  ReadOptions options;
  options.prefixSize = 6;
  options.acceptsPrefix = [](ByteSpan prefix) { return prefix[0] != 0; };
  Error why;
  EXPECT_FALSE(ReadWholeFile("/dev/zero", buffer, &why, options));
  EXPECT_EQ(why.step, Step::kUnrecognised);
  EXPECT_EQ(buffer.size(), 6u);
  // ... and one whose first bytes pass goes on to the limit.
  options.acceptsPrefix = nullptr;
  options.streamLimit = 300000;
  EXPECT_FALSE(ReadWholeFile("/dev/zero", buffer, &why, options));
  EXPECT_EQ(why.step, Step::kTooLong);
  EXPECT_EQ(why.Describe("/dev/zero"),
            "/dev/zero is a stream longer than 300000 bytes, the most that is read from one");

  // A socket is refused at once, without waiting on it.
  const std::string socketPath = dir.Path("socket");
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(FailureOf(socketPath), Step::kSocket);
  ::close(s);
}

}  // namespace
}  // namespace ridloe
