#pragma once
// The logic of the "Keypad Controls" window: it runs one drive by hand by
// read-modify-write of its control words and writes the speed references.
// The window ticks pollNext() from its timer and turns button presses into
// the commands below; everything it shows comes from here.
#include <merlin/core/CModbusLink.h>

#include <array>
#include <cstdint>
#include <string>

namespace merlin {

// Register offsets of the drive's control interface.
namespace keypad {
constexpr int kControlWord1 = 201;
constexpr int kControlWord2 = 202;
constexpr int kSpeedReference1 = 203;
constexpr int kSpeedReference2 = 205;
constexpr int kStatusWord1 = 50;
constexpr int kStatusWord2 = 52;
constexpr std::array<int, 4> kPollOrder{kControlWord1, kControlWord2, kStatusWord1, kStatusWord2};
constexpr int kPollPeriodMs = 100;
constexpr int kPollPeriodAfterErrorMs = 2000;
constexpr float kMaxSpeedHz = 325.0f;

uint16_t forwardWord(uint16_t word);
uint16_t reverseWord(uint16_t word);
uint16_t stopWord(uint16_t word);
uint16_t ext1Word(uint16_t word);
uint16_t ext2Word(uint16_t word);
uint16_t presetWord(uint16_t word, int position);
// Hundredths of a hertz, as the speed references hold them.
uint16_t speedToRegister(float hertz);
}  // namespace keypad

// The bit switches of the window: which control word and which bit.
enum class ControlBit {
    Ramp1, Ramp2, Remote, Ts, DcBrake, Cts,   // control word 1
    PidEnable, StopSequence, ResetSequence,   // control word 2
};

enum class SpeedSource { None, Ext1, Ext2, Preset };
enum class SpeedChange { Inc, Dec, Download };

class CKeypadControl {
public:
    struct Poll {
        int registerOffset;
        int result;
        int nextTickMs;
    };

    CKeypadControl(CModbusLink& link, int station);

    static std::string title(int station);

    // Reads the next of 201, 202, 50, 52 into its cache.
    Poll pollNext();
    uint16_t controlWord1() const { return cache_[0]; }
    uint16_t controlWord2() const { return cache_[1]; }
    uint16_t statusWord1() const { return cache_[2]; }
    uint16_t statusWord2() const { return cache_[3]; }
    static std::string wordText(uint16_t word);
    std::string enableText() const;
    static std::string resultText(int result);

    // Commands; each returns the link result of the first failing call, or 0.
    int forward();
    int reverse();
    int stop();
    int errorReset();
    int selectSource(SpeedSource source);
    int selectPreset(int position);
    int toggle(ControlBit bit);
    // 1 when the new speed is out of range or the source takes no speed:
    // nothing is changed or written.
    int changeSpeed(SpeedChange change);

    SpeedSource source() const { return source_; }
    float speed() const { return speedHz_; }
    void setSpeed(float hertz) { speedHz_ = hertz; }
    void setBroadcast(bool broadcast) { broadcast_ = broadcast; }
    bool broadcast() const { return broadcast_; }

private:
    template <typename Rule>
    int modifyControlWord1(Rule rule);
    int readControlWord1(uint16_t& word);
    int write(int registerOffset, uint16_t value);
    int readSpeed(int registerOffset);

    CModbusLink& link_;
    int station_;
    std::array<uint16_t, 4> cache_{};
    size_t nextPoll_ = 0;
    SpeedSource source_ = SpeedSource::None;
    int presetPosition_ = 0;
    float speedHz_ = 0.0f;
    bool broadcast_ = false;
};

}  // namespace merlin
