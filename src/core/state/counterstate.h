// The counters' types and the strip's frames as the model's rules see them.
#pragma once

#include "core/state/countrecord.h"

#include <QString>
#include <array>
#include <cstdint>

namespace zentova
{

// The flags' values: ON is exactly -1.
constexpr int16_t FlagOn = -1;
constexpr int16_t FlagOff = 0;

// The five counters' variables, indexed 0 to 4 like the controls. Any other
// index is the runtime's subscript error.
template <typename T> class CounterArray
{
public:
    T &operator()(int index) { return m_items[checked(index)]; }
    const T &operator()(int index) const { return m_items[checked(index)]; }
    void fill(const T &value) { m_items.fill(value); }

private:
    static std::size_t checked(int index)
    {
        if (index < 0 || index >= CounterCount)
            raiseError(ErrorCode::SubscriptOutOfRange);
        return static_cast<std::size_t>(index);
    }
    std::array<T, CounterCount> m_items{};
};

// What a counter is called where its title is shown apart from the strip
// (the history's columns, the options): its title, or 項目N where it has none.
QString counterHeading(const QString &title, int index);

// The strip's five counter frames, as ShowCounterFrames and the settings'
// apply steps write them without knowing the window.
class CounterFrames
{
public:
    virtual ~CounterFrames() = default;
    virtual void setCounterFrameVisible(int index, bool visible) = 0;
    virtual void setCounterFrameCaption(int index, const QString &caption) = 0;
    // The counter's value label shows `value` (and takes its colour).
    virtual void setCounterValue(int index, int16_t value) = 0;
};

// Shows the frame of every counter that has a title, with the title as its
// caption, and hides the others (leaving their captions as they were).
void ShowCounterFrames(const CounterArray<QString> &gTitle, CounterFrames &frames);

} // namespace zentova
