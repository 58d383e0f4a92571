// What the SNMP tests run against: net-snmp's snmpd as AgentX master on a socket in a temporary
// folder, answering SNMPv3 (authPriv) on a free loopback port and sending notifications to
// snmptrapd on another, which writes them to a file; the net-snmp command-line clients; the
// agents under test with SNMP on and no broker. Never the system's own snmpd.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../fleet/fleet_e2e.hpp"

namespace climate::test {

inline constexpr char Root[] = ".1.3.6.1.4.1.8072.9999.7";
inline constexpr char Entry[] = ".1.3.6.1.4.1.8072.9999.7.1.1.1";

// "<entry>.<column>.<index>"
inline std::string Column(int column, int index) {
  return std::string(Entry) + "." + std::to_string(column) + "." + std::to_string(index);
}

inline int FreeUdpLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Runs a shell command; its standard output and error together.
inline std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

inline std::string SbinTool(const std::string& name) {
  for (const std::string dir : {"/usr/sbin/", "/usr/bin/"}) {
    if (::access((dir + name).c_str(), X_OK) == 0) return dir + name;
  }
  return name;
}

struct SnmpUser {
  std::string name;
  std::string authPassword;
  std::string privPassword;
};

inline const SnmpUser Reader{"reader", "reader-auth-secret", "reader-priv-secret"};
inline const SnmpUser Admin{"admin", "admin-auth-secret", "admin-priv-secret"};

class SnmpSite {
 public:
  explicit SnmpSite(const TempDir& dir)
      : dir_(dir), port_(FreeUdpLoopbackPort()), trapPort_(FreeUdpLoopbackPort()) {
    ::mkdir(dir.File("persist").c_str(), 0700);
    // The clients read no configuration of the machine and write nothing outside the folder.
    WriteFile(dir.File("snmp.conf"), "persistentDir " + dir.File("persist") + "\n");
    WriteFile(dir.File("snmpd.conf"),
              "[snmp] persistentDir " + dir.File("persist") + "\n" + "agentaddress udp:127.0.0.1:" +
                  std::to_string(port_) + "\n" + "master agentx\nagentXSocket " + AgentxSocket() +
                  "\nagentXTimeout 10\n" + "createUser reader SHA " + Reader.authPassword +
                  " AES " + Reader.privPassword + "\ncreateUser admin SHA " + Admin.authPassword +
                  " AES " + Admin.privPassword + "\nview climate included " + Root + "\n" +
                  "rouser reader priv -V climate\nrwuser admin priv -V climate\n" +
                  "trap2sink udp:127.0.0.1:" + std::to_string(trapPort_) + " public\n");
    WriteFile(dir.File("snmptrapd.conf"),
              "[snmp] persistentDir " + dir.File("persist") + "\ndisableAuthorization yes\n");
    trapd_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{SbinTool("snmptrapd"), "-f", "-On", "-m", "", "-Lf",
                                 dir.File("traps.log"), "-C", "-c", dir.File("snmptrapd.conf"),
                                 "udp:127.0.0.1:" + std::to_string(trapPort_)},
        dir.File("snmptrapd.out"));
    if (!WaitUntil(
            [&] { return ReadFile(dir.File("traps.log")).find("NET-SNMP") != std::string::npos; },
            10000)) {
      throw std::runtime_error("snmptrapd did not start: " + ReadFile(dir.File("snmptrapd.out")));
    }
    StartMaster();
  }

  void StartMaster() {
    const std::string log = dir_.File("snmpd.log");
    WriteFile(log, "");
    snmpd_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{SbinTool("snmpd"), "-f", "-Lo", "-C", "-c",
                                 dir_.File("snmpd.conf")},
        log);
    if (!WaitUntil([&] { return ReadFile(log).find("NET-SNMP version") != std::string::npos; },
                   10000)) {
      throw std::runtime_error("snmpd did not start: " + ReadFile(log));
    }
  }
  void StopMaster() { snmpd_.reset(); }

  std::string AgentxSocket() const { return dir_.File("agentx"); }

  // A net-snmp client (snmpget, snmpwalk, snmpset) as user, numeric OIDs, no retries: a set is
  // never sent twice.
  std::string Client(const std::string& tool, const SnmpUser& user,
                     const std::string& arguments) const {
    return RunCommand("SNMPCONFPATH='" + dir_.File("") + "' SNMP_PERSISTENT_DIR='" +
                      dir_.File("persist") + "' MIBS= " + tool + " -v3 -l authPriv -u " +
                      user.name + " -a SHA -A " + user.authPassword + " -x AES -X " +
                      user.privPassword + " -On -t 8 -r 0 127.0.0.1:" + std::to_string(port_) +
                      " " + arguments);
  }
  std::string Traps() const { return ReadFile(dir_.File("traps.log")); }
  int Port() const { return port_; }

 private:
  const TempDir& dir_;
  int port_;
  int trapPort_;
  std::unique_ptr<ChildProcess> trapd_;
  std::unique_ptr<ChildProcess> snmpd_;
};

// The settings of an agent with SNMP on and no broker.
inline std::string SnmpAgentIni(const std::string& kind, const std::string& unit,
                                const std::string& device, const std::string& socket, int index,
                                bool allowSet, int pollMs = 500) {
  return "[Agent]\r\nSite=north\r\nUnit=" + unit + "\r\nKind=" + kind + "\r\nDevice=" + device +
         "\r\nPollMs=" + std::to_string(pollMs) +
         "\r\nReplyTimeoutMs=1000\r\n[Broker]\r\nEnabled=0\r\n[Snmp]\r\nEnabled=1\r\n"
         "AgentX=" +
         socket + "\r\nIndex=" + std::to_string(index) + "\r\nAllowSet=" + (allowSet ? "1" : "0") +
         "\r\nPingSeconds=1\r\n";
}

}  // namespace climate::test
