// The service report: one PDF for the work order with what a technician leaves behind: when and
// where, the unit's latest values and lamps, the set points last sent, the alarm history, the
// link figures, a picture of the last hour's trend and the last memo lines.
#pragma once

#include <QString>

#include "app/language.hpp"

namespace climate {

class MonitorModel;

// False with the reason in error when the file could not be written.
bool WriteServiceReport(const MonitorModel& model, Language language, const QString& path,
                        QString& error);

// "ServiceReport 2024-05-01 14-03-22.pdf"
QString ServiceReportFileName(const MonitorModel& model);

}  // namespace climate
