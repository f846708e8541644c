#pragma once

#include <QString>

namespace platform {

// A control on a window: geometry in twips relative to its parent, single precision.
// Every operation may throw platform::Error.
class IControl
{
public:
    IControl() = default;
    IControl(const IControl &) = delete;
    IControl &operator=(const IControl &) = delete;
    virtual ~IControl() = default;

    virtual float Left() = 0;
    virtual void SetLeft(float twips) = 0;
    virtual float Top() = 0;
    virtual void SetTop(float twips) = 0;
    virtual float Width() = 0;
    virtual void SetWidth(float twips) = 0;
    // As the toolkit reports it after rounding to whole pixels.
    virtual float Height() = 0;
    virtual void SetHeight(float twips) = 0;

    virtual bool Visible() = 0;
    // Hiding a container hides its children.
    virtual void SetVisible(bool visible) = 0;
};

class ITextBox : public IControl
{
public:
    // Exactly as held, line breaks included.
    virtual QString Text() = 0;
    // Replaces the whole content and raises the Change event, as a user's edit does.
    virtual void SetText(const QString &text) = 0;
};

} // namespace platform
