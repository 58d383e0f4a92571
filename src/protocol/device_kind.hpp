// The selected unit type: the index of the unit selector and the stored "DeviceType".
#pragma once

namespace climate {

enum class DeviceKind { AirConditioner = 0, HeatExchanger = 1 };

}  // namespace climate
