#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace app {

// A reference that creates its object on first use: a use of an empty reference creates the
// object (a failed creation is a failure of that use), reset() releases it, and a later use
// creates a new one.
template<typename T> class AutoRef final
{
public:
    using Creator = std::function<std::shared_ptr<T>()>;

    explicit AutoRef(Creator create)
        : m_create(std::move(create))
    { }
    AutoRef(const AutoRef &) = delete;
    AutoRef &operator=(const AutoRef &) = delete;

    const std::shared_ptr<T> &use()
    {
        if (!m_object)
            m_object = m_create();
        return m_object;
    }

    // Takes the object over as it is, empty included; the one held before is released.
    void assign(std::shared_ptr<T> object) { m_object = std::move(object); }

    void reset() { m_object.reset(); }

private:
    Creator m_create;
    std::shared_ptr<T> m_object;
};

} // namespace app
