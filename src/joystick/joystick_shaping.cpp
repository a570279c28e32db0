#include "joystick/joystick_shaping.h"

#include "joystick/expo_curve.h"
#include "link/message_types.h"

namespace crv::joystick {

namespace {

constexpr int kFullScale = 65535;
constexpr int kCentre = 32768;
constexpr int kChannelCentre = 3000;
constexpr double kChannelSwing = 1200;
constexpr double kTrimPerUnit = 15000; // a trim of 3000 moves a channel by 0.2
constexpr double kThrottleScale = 0.03662109375; // 1200 / 32768

} // namespace

JoystickOutput shapeJoystick(const JoystickAxes& axes, const JoystickSettings& settings) {
    std::array<int, 4> raw = {axes.x, axes.y, kFullScale - axes.z, axes.r};
    for (int channel = 0; channel < 4; ++channel) {
        if (settings.reverse[channel]) {
            raw[channel] = kFullScale - raw[channel];
        }
    }
    JoystickOutput out;
    for (int channel : {kRoll, kPitch, kYaw}) {
        float n = static_cast<float>(raw[channel] - kCentre) / kCentre;
        out.gauges[channel] = raw[channel];
        if (settings.exponentPercent != 0) {
            n = static_cast<float>(ExpoCurve(n, settings.exponentPercent));
            n = static_cast<float>(n - settings.trim[channel] / kTrimPerUnit);
            out.gauges[channel] = static_cast<int>(static_cast<double>(n) * kCentre + kCentre);
        }
        out.channels[channel] =
            static_cast<uint16_t>(static_cast<int>(static_cast<double>(n) * kChannelSwing +
                                                   kChannelCentre));
    }
    out.gauges[kThrottle] = raw[kThrottle];
    out.channels[kThrottle] = static_cast<uint16_t>(
        static_cast<int>((raw[kThrottle] - kCentre) * kThrottleScale + kChannelCentre));
    return out;
}

void sendJoystickFrame(link::LinkFrameBuilder& builder, const std::array<uint16_t, 4>& channels) {
    builder.begin();
    builder.put8(link::msg::kJoystick);
    for (uint16_t value : channels) {
        builder.put16(value);
    }
    builder.finish();
}

} // namespace crv::joystick
