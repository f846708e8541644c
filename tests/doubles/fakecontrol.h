#pragma once

#include "platform/control.h"
#include "tests/doubles/faults.h"

#include <functional>

namespace doubles {

// Geometry and visibility for any control interface.
template<typename Interface> class FakeControlOf : public Interface
{
public:
    FakeControlOf(Faults &faults, QString name, float left = 0, float top = 0, float width = 0,
                  float height = 0)
        : left(left)
        , top(top)
        , width(width)
        , height(height)
        , m_faults(faults)
        , m_name(std::move(name))
    { }

    float Left() override { return read(".Left", left); }
    void SetLeft(float v) override { write(".SetLeft", left, v); }
    float Top() override { return read(".Top", top); }
    void SetTop(float v) override { write(".SetTop", top, v); }
    float Width() override { return read(".Width", width); }
    void SetWidth(float v) override { write(".SetWidth", width, v); }
    float Height() override { return read(".Height", height); }
    void SetHeight(float v) override { write(".SetHeight", height, v); }
    bool Visible() override
    {
        m_faults.check(m_name + QLatin1String(".Visible"));
        return visible;
    }
    void SetVisible(bool v) override
    {
        m_faults.check(m_name + QLatin1String(".SetVisible"));
        visible = v;
    }

    // A real toolkit rounds to whole pixels; a test can mimic that.
    std::function<float(float)> round = [](float v) {
        return v;
    };

    float left, top, width, height;
    bool visible = true;

protected:
    float read(const char *op, float value)
    {
        m_faults.check(m_name + QLatin1String(op));
        return value;
    }
    void write(const char *op, float &field, float value)
    {
        m_faults.check(m_name + QLatin1String(op));
        field = round(value);
    }

    Faults &m_faults;
    QString m_name;
};

using FakeControl = FakeControlOf<platform::IControl>;

class FakeTextBox final : public FakeControlOf<platform::ITextBox>
{
public:
    using FakeControlOf::FakeControlOf;

    QString Text() override
    {
        this->m_faults.check(this->m_name + QLatin1String(".Text"));
        return text;
    }
    void SetText(const QString &value) override
    {
        m_faults.check(m_name + QLatin1String(".SetText"));
        text = value;
        ++setTextCount;
        if (onChange)
            onChange();
    }

    QString text;
    int setTextCount = 0;
    std::function<void()> onChange;
};

} // namespace doubles
