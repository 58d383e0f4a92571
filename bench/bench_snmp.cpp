// The agent as an SNMP subagent: the time of a full walk of its row through snmpd on loopback
// (SNMPv3 authPriv, one GETNEXT at a time as snmpwalk does, the session's keys made once as an
// NMS keeps them), and the agent's CPU and memory while it polls every 2 s with SNMP on.
//   bench_snmp [seconds]   (default 30)
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "../tests/e2e/snmp/snmp_e2e.hpp"
#include "bench_support.hpp"

namespace {

using namespace climate::test;
using climate::bench::ProcessCpuSeconds;

void* OpenSession(int port) {
  netsnmp_session session;
  snmp_sess_init(&session);
  const std::string peer = "udp:127.0.0.1:" + std::to_string(port);
  session.peername = const_cast<char*>(peer.c_str());
  session.version = SNMP_VERSION_3;
  session.securityName = const_cast<char*>(Reader.name.c_str());
  session.securityNameLen = Reader.name.size();
  session.securityLevel = SNMP_SEC_LEVEL_AUTHPRIV;
  session.securityAuthProto = snmp_duplicate_objid(usmHMACSHA1AuthProtocol, USM_AUTH_PROTO_SHA_LEN);
  session.securityAuthProtoLen = USM_AUTH_PROTO_SHA_LEN;
  session.securityAuthKeyLen = USM_AUTH_KU_LEN;
  const auto key = [&](const std::string& password, u_char* out, size_t* length) {
    generate_Ku(session.securityAuthProto, static_cast<u_int>(session.securityAuthProtoLen),
                reinterpret_cast<const u_char*>(password.data()), password.size(), out, length);
  };
  key(Reader.authPassword, session.securityAuthKey, &session.securityAuthKeyLen);
  session.securityPrivProto = snmp_duplicate_objid(usmAESPrivProtocol, USM_PRIV_PROTO_AES_LEN);
  session.securityPrivProtoLen = USM_PRIV_PROTO_AES_LEN;
  session.securityPrivKeyLen = USM_PRIV_KU_LEN;
  key(Reader.privPassword, session.securityPrivKey, &session.securityPrivKeyLen);
  session.timeout = 5'000'000;
  session.retries = 0;
  return snmp_sess_open(&session);
}

// Walks the table; the number of values, or -1 on an error.
int Walk(void* session) {
  oid name[MAX_OID_LEN];
  size_t length = MAX_OID_LEN;
  read_objid(Root, name, &length);
  oid root[MAX_OID_LEN];
  std::memcpy(root, name, length * sizeof(oid));
  const size_t rootLength = length;
  int values = 0;
  while (true) {
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GETNEXT);
    snmp_add_null_var(pdu, name, length);
    netsnmp_pdu* response = nullptr;
    if (snmp_sess_synch_response(session, pdu, &response) != STAT_SUCCESS || !response ||
        response->errstat != SNMP_ERR_NOERROR) {
      if (response) snmp_free_pdu(response);
      return -1;
    }
    const netsnmp_variable_list* vb = response->variables;
    const bool inside = vb && vb->type != SNMP_ENDOFMIBVIEW && vb->name_length >= rootLength &&
                        snmp_oid_compare(vb->name, rootLength, root, rootLength) == 0;
    if (inside) {
      std::memcpy(name, vb->name, vb->name_length * sizeof(oid));
      length = vb->name_length;
      ++values;
    }
    snmp_free_pdu(response);
    if (!inside) return values;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
  ::setenv("MIBS", "", 1);
  climate::test::TempDir dir("climate-bench-snmp");
  WriteFile(dir.File("snmp.conf"), "persistentDir " + dir.File("persist") + "\n");
  ::setenv("SNMPCONFPATH", dir.File("").c_str(), 1);
  ::setenv("SNMP_PERSISTENT_DIR", dir.File("persist").c_str(), 1);
  SnmpSite site(dir);
  SimProcess sim({"--kind", "ac", "--link", dir.File("line")});
  WriteFile(dir.File("agent.ini"),
            SnmpAgentIni("ac", "cab7", dir.File("line"), site.AgentxSocket(), 1, false, 2000));
  ChildProcess agent({CLIMATE_AGENT_PATH, dir.File("agent.ini")}, dir.File("agent.log"));

  init_snmp("bench-snmp");
  void* session = OpenSession(site.Port());
  if (!session) {
    std::fprintf(stderr, "bench_snmp: cannot open an SNMP session\n");
    return 1;
  }
  if (!WaitUntil([&] { return Walk(session) > 10; }, 20000)) {
    std::fprintf(stderr, "bench_snmp: the row did not appear:\n%s\n",
                 ReadFile(dir.File("agent.log")).c_str());
    return 1;
  }

  std::vector<double> walkMs;
  int values = 0;
  for (int i = 0; i < 50; ++i) {
    const auto start = std::chrono::steady_clock::now();
    values = Walk(session);
    walkMs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::printf(
      "walk of one row (%d values, SNMPv3 authPriv, loopback): median %.1f ms, "
      "p95 %.1f ms, max %.1f ms\n",
      values, climate::bench::Percentile(walkMs, 0.5), climate::bench::Percentile(walkMs, 0.95),
      *std::max_element(walkMs.begin(), walkMs.end()));

  // The agent alone on its 2 s polls, with one walk every 10 s as an NMS would poll.
  const double cpuBefore = ProcessCpuSeconds(agent.Pid());
  const auto start = std::chrono::steady_clock::now();
  auto nextWalk = start;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds)) {
    if (std::chrono::steady_clock::now() >= nextWalk) {
      Walk(session);
      nextWalk += std::chrono::seconds(10);
    }
    const timespec pause{0, 100'000'000};
    ::nanosleep(&pause, nullptr);
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = ProcessCpuSeconds(agent.Pid()) - cpuBefore;
  std::printf(
      "agent, polling every 2 s with SNMP on, %.0f s: CPU %.2f %% of one core, "
      "resident %ld kB (peak %ld kB)\n",
      elapsed, 100.0 * cpu / elapsed, climate::bench::StatusKb(agent.Pid(), "VmRSS"),
      climate::bench::StatusKb(agent.Pid(), "VmHWM"));
  snmp_sess_close(session);
  snmp_shutdown("bench-snmp");
  return 0;
}
