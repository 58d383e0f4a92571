// A Monitor window fed with a run for the tests that look at it on a screen: a day of replies
// and the alarms of both unit types, through the real receive path.
#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>
#include <memory>

#include "../../unit/monitor/monitor_test_support.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_window.hpp"
#include "protocol/receive.hpp"
#include "support/frames.hpp"

namespace climate::test {

class MonitorOnScreen : public ::testing::Test {
 protected:
  MonitorOnScreen() : model_(clock_, folder_.Path("records")) {
    clock_.Set(At(2024, 5, 1, 8, 0, 0));
    window_ = std::make_unique<MonitorWindow>(model_, QString::fromStdString(folder_.Path("u.INI")),
                                              QString::fromStdString(folder_.Path("")));
  }

  // One poll periodMs after the last, its reply through the receive path into the model.
  void Poll(DeviceKind kind, std::uint8_t alarm1, std::uint8_t alarm2, std::uint8_t status,
            int periodMs = 2000) {
    // The unit answers a tenth of a second after the request.
    constexpr int ReplyMs = 100;
    clock_.AdvanceMs(periodMs - ReplyMs);
    model_.OnRequestSent(RealTimeRequest, protocol_);
    clock_.AdvanceMs(ReplyMs);
    const LocalDateTime was = clock_.Now();
    const QDateTime next =
        QDateTime(QDate(was.year, was.month, was.day), QTime(was.hour, was.minute, was.second))
            .addMSecs(periodMs);
    clock_.Set(At(next.date().year(), next.date().month(), next.date().day(), next.time().hour(),
                  next.time().minute(), next.time().second()));
    ReceiveContext context;
    context.protocol = &protocol_;
    context.kind = kind;
    context.language = window_->CurrentLanguage();
    context.now = clock_.Now();
    // A warm afternoon and a cool night, the humidity the other way round.
    const double hour = next.time().hour() + next.time().minute() / 60.0;
    const double warmth = std::cos((hour - 15) / 24 * 2 * 3.14159265);
    const int indoor = static_cast<int>(std::lround(27 + 6 * warmth));
    const int outdoor = static_cast<int>(std::lround(22 + 9 * warmth));
    const int humidity = static_cast<int>(std::lround(55 - 15 * warmth));
    model_.OnReply(ProcessReply(RealTimeReply(indoor, outdoor, humidity, 221, {32, 0, 5, 0, 55, 0},
                                              status, alarm1, alarm2),
                                context),
                   context);
  }

  void Feed() {
    // A day polled every minute and an hour every two seconds of an air conditioner with every
    // alarm raised now and then, the events of a lost line and a silent unit, then a heat
    // exchanger with all of its alarms: the whole run's time labels carry the date, and the
    // alarm table holds the longest names of both types and the events.
    for (int i = 0; i < 25 * 60; ++i) Poll(DeviceKind::AirConditioner, 0, 0, 0x1F, 60'000);
    for (int i = 0; i < 1800; ++i) {
      const bool alarms = i % 600 > 300;
      Poll(DeviceKind::AirConditioner, alarms ? 0xFF : 0, alarms ? 0x3F : 0, alarms ? 0x00 : 0x1F);
    }
    for (int i = 0; i < 20; ++i) {
      Poll(DeviceKind::HeatExchanger, i > 10 ? 0xFF : 0, i > 10 ? 0xFF : 0, 0x1F);
    }
    // The line lost for a minute, then the unit silent for a minute and answering again.
    model_.OnLinkLost("");
    clock_.AdvanceMs(65'000);
    model_.OnLinkRestored();
    for (int i = 0; i < 30; ++i) {
      model_.OnRequestSent(RealTimeRequest, protocol_);
      clock_.AdvanceMs(2000);
      model_.Tick();
    }
    Poll(DeviceKind::HeatExchanger, 0xFF, 0xFF, 0x1F);
  }

  ScratchFolder folder_;
  FakeClock clock_;
  ProtocolSettings protocol_ = DefaultProtocolSettings();
  MonitorModel model_;
  std::unique_ptr<MonitorWindow> window_;
};

}  // namespace climate::test
