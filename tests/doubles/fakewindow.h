#pragma once

#include "platform/window.h"
#include "tests/doubles/faults.h"

#include <QList>

#include <functional>

namespace doubles {

class FakeMenu final : public platform::IMenu
{
public:
    explicit FakeMenu(QString name)
        : name(std::move(name))
    { }
    QString name;
};

// A window whose size and state writes raise the resize event, either at once (as a real
// toolkit may) or queued until the test delivers them.
class FakeWindow final : public platform::IWindow
{
public:
    explicit FakeWindow(Faults &faults, QString name = QStringLiteral("frmMain"))
        : m_faults(faults)
        , m_name(std::move(name))
    { }

    quint32 hWnd() override { return read(".hWnd", handle); }
    float Width() override { return read(".Width", width); }
    void SetWidth(float v) override { write(".SetWidth", width, v); }
    float Height() override { return read(".Height", height); }
    void SetHeight(float v) override { write(".SetHeight", height, v); }
    platform::WindowState WindowState() override { return read(".WindowState", state); }
    void SetWindowState(platform::WindowState v) override { write(".SetWindowState", state, v); }
    bool Visible() override { return read(".Visible", visible); }
    void Show() override
    {
        m_faults.check(m_name + QLatin1String(".Show"));
        visible = true;
        ++showCount;
    }
    void Hide() override
    {
        m_faults.check(m_name + QLatin1String(".Hide"));
        visible = false;
    }
    platform::ScaleMode ScaleMode() override { return read(".ScaleMode", scaleMode); }
    quint32 Icon() override { return read(".Icon", icon); }
    void PopupMenu(platform::IMenu &menu) override
    {
        m_faults.check(m_name + QLatin1String(".PopupMenu"));
        poppedUp.append(&menu);
        if (onPopup)
            onPopup(menu);
    }
    void Unload() override
    {
        m_faults.check(m_name + QLatin1String(".Unload"));
        ++unloadCount;
        if (onUnload)
            onUnload();
    }

    // Delivers the resize events queued while deliverResizeAtOnce was false.
    void deliverQueuedResizes()
    {
        while (m_queuedResizes > 0) {
            --m_queuedResizes;
            raiseResize();
        }
    }

    quint32 handle = 0x1001;
    float width = 6135;
    float height = 2250;
    platform::WindowState state = platform::WindowState::Normal;
    bool visible = true;
    platform::ScaleMode scaleMode = platform::ScaleMode::Twips;
    quint32 icon = 0x2002;
    int showCount = 0;
    int unloadCount = 0;
    QList<platform::IMenu *> poppedUp;

    bool deliverResizeAtOnce = true;
    std::function<void()> onResize;
    std::function<void(platform::IMenu &)> onPopup;
    std::function<void()> onUnload;

private:
    template<typename T> T read(const char *op, T value)
    {
        m_faults.check(m_name + QLatin1String(op));
        return value;
    }
    template<typename T> void write(const char *op, T &field, T value)
    {
        m_faults.check(m_name + QLatin1String(op));
        field = value;
        if (deliverResizeAtOnce)
            raiseResize();
        else
            ++m_queuedResizes;
    }
    void raiseResize()
    {
        if (onResize)
            onResize();
    }

    Faults &m_faults;
    QString m_name;
    int m_queuedResizes = 0;
};

} // namespace doubles
