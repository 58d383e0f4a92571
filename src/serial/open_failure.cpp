#include "serial/open_failure.hpp"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "serial/serial_port.hpp"

namespace climate {

namespace {

struct FailureTexts {
  TextPair device;
  TextPair address;
  TextPair reason;
  TextPair noSuchDevice;
  TextPair permissionDenied;
  TextPair addToGroup;  // followed by the group's name and groupEnd
  TextPair groupEnd;
  TextPair busy;
  TextPair process;  // "(minicom, process 1234)"
};

constexpr FailureTexts Texts = {
    {"设备: ", "Device: "},
    {"地址: ", "Address: "},
    {"原因: ", "Reason: "},
    {"设备不存在", "No such device"},
    {"权限不足", "Permission denied"},
    {"：请把用户加入 ", ": add the user to the "},
    {" 组（然后重新登录）", " group (and log in again)"},
    {"设备正忙：已被其他程序占用", "Device or resource busy: used by another program"},
    {"进程 ", "process "},
};

std::string S(const TextPair& text, Language language) {
  return std::string(text.In(language));
}

std::string GroupOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || info.st_gid == 0) return {};
  const group* entry = ::getgrgid(info.st_gid);
  return entry != nullptr && entry->gr_name != nullptr ? entry->gr_name : std::string();
}

}  // namespace

OpenFailureFacts ExamineOpenFailure(const DeviceOpenError& error) {
  OpenFailureFacts facts;
  facts.device = error.Device();
  facts.systemText = error.SystemText();
  struct stat info {};
  if (error.GetCause() == DeviceOpenError::Cause::Missing ||
      ::stat(facts.device.c_str(), &info) != 0) {
    facts.problem = OpenProblem::NoSuchDevice;
    return facts;
  }
  if (error.GetCause() != DeviceOpenError::Cause::Refused) return facts;
  // Qt reports a denied, a busy and a locked device alike; a holder settles it first, since a
  // locked device is refused even to the user who may use it.
  facts.holder = FindDeviceHolder(facts.device);
  if (facts.holder) {
    facts.problem = OpenProblem::Busy;
  } else if (::access(facts.device.c_str(), R_OK | W_OK) != 0) {
    facts.problem = OpenProblem::PermissionDenied;
    facts.group = GroupOf(facts.device);
  } else {
    facts.problem = OpenProblem::Busy;
  }
  return facts;
}

std::string OpenFailureDetails(const OpenFailureFacts& facts, Language language) {
  std::string reason;
  switch (facts.problem) {
    case OpenProblem::NoSuchDevice:
      reason = S(Texts.noSuchDevice, language);
      break;
    case OpenProblem::PermissionDenied:
      reason = S(Texts.permissionDenied, language);
      if (!facts.group.empty()) {
        reason += S(Texts.addToGroup, language) + facts.group + S(Texts.groupEnd, language);
      }
      break;
    case OpenProblem::Busy:
      reason = S(Texts.busy, language);
      if (facts.holder) {
        const std::string process = S(Texts.process, language) + std::to_string(facts.holder->pid);
        const std::string named =
            facts.holder->program.empty()
                ? process
                : facts.holder->program + (language == Language::Chinese ? "，" : ", ") + process;
        reason += language == Language::Chinese ? "（" + named + "）" : " (" + named + ")";
      }
      break;
    case OpenProblem::Other:
      reason = facts.systemText;
      break;
  }
  return PortFailureDetails(facts.device, false, reason, language);
}

std::string PortFailureDetails(const std::string& entry, bool network, const std::string& reason,
                               Language language) {
  return S(network ? Texts.address : Texts.device, language) + entry + "\n" +
         S(Texts.reason, language) + reason;
}

}  // namespace climate
