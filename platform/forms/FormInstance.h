#pragma once

#include <QPointer>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <utility>

namespace platform {

// The one instance of a window: created (and loaded) on first use, dropped by Unload, so the
// next use creates a fresh one.
template <typename T> class FormInstance
{
public:
    using Factory = std::function<std::unique_ptr<T>()>;

    explicit FormInstance(Factory factory) : m_factory(std::move(factory)) {}
    ~FormInstance() { delete m_form.data(); }
    Q_DISABLE_COPY_MOVE(FormInstance)

    T &get()
    {
        if (!isLoaded()) {
            m_form = m_factory().release();
            m_form->Load();
        }
        return *m_form;
    }
    T &operator*() { return get(); }
    T *operator->() { return &get(); }
    bool isLoaded() const { return m_form && !m_form->isUnloaded(); }
    // The live window without creating one.
    T *existing() const { return isLoaded() ? m_form.data() : nullptr; }

private:
    Factory m_factory;
    QPointer<T> m_form;
};

} // namespace platform
