// The one easing rule of the game: a linear step of dt x speed towards the target that lands exactly on it.
#include "core/LiveValue.h"

#include <gtest/gtest.h>

TEST(LiveValueTest, StepsLinearlyAndStopsExactlyOnTheTarget)
{
    struct Case
    {
        const char* name;
        float target;
        float current;
        float speed;
        float dt;
        float expectedCurrent;
    };
    const Case cases[] = {
        {"at the target only previous changes", 0.5f, 0.5f, 0.05f, 1.0f, 0.5f},
        {"up past the target is clamped", 1.0f, 0.98f, 0.05f, 1.0f, 1.0f},
        {"down past the target is clamped", 0.0f, 0.02f, 0.05f, 1.0f, 0.0f},
        {"a step short of the target", 1.0f, 0.25f, 0.25f, 1.0f, 0.5f},
        {"a fractional frame moves a fraction", 0.0f, 1.0f, 0.5f, 0.5f, 0.75f},
        {"speed 0 never moves", 1.0f, 0.0f, 0.0f, 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        LiveValue value;
        value.target = c.target;
        value.current = c.current;
        value.speed = c.speed;
        value.previous = -7.0f;
        value.Update(c.dt);
        EXPECT_EQ(value.current, c.expectedCurrent) << c.name;
        EXPECT_EQ(value.previous, c.current) << c.name;
        EXPECT_EQ(value.target, c.target) << c.name;
    }
}

TEST(LiveValueTest, AClampedValueStaysOnItsTarget)
{
    LiveValue value;
    value.target = 1.0f;
    value.current = 0.98f;
    value.speed = 0.05f;
    value.Update(1.0f);
    value.Update(1.0f);
    EXPECT_EQ(value.current, 1.0f);
    EXPECT_EQ(value.previous, 1.0f);
}

TEST(LiveValueTest, AFreshValueIsAllZero)
{
    LiveValue value;
    EXPECT_EQ(value.target, 0.0f);
    EXPECT_EQ(value.current, 0.0f);
    EXPECT_EQ(value.previous, 0.0f);
    EXPECT_EQ(value.speed, 0.0f);
}
