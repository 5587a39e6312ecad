#pragma once

#include "platform/forms/twips.h"

#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <vector>

class QAction;
class QEventLoop;
class QMenu;
class QMenuBar;
class QVBoxLayout;

namespace testing {
class FormProbe;
}

namespace platform {

enum class BorderStyle {
    Sizable,     // resizable, minimise, maximise and close boxes
    SizableTool, // resizable, close box only
    FixedDialog, // fixed size, close box only
};

enum class ShowMode { Modeless, Modal };

// What the title bar's close box does; Custom calls closeBoxPressed().
enum class CloseAction { Unload, Hide, Custom };

struct FormGeometry
{
    QString caption;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    BorderStyle border = BorderStyle::Sizable;
    CloseAction closeAction = CloseAction::Unload;
};

// Base of every window: a client area in twips under an optional menu bar, modal shows that
// return when the window is hidden or unloaded, Load/Activate/Unload hooks, a default button
// that Enter presses, and Esc doing nothing.
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(const FormGeometry &geometry);
    ~Form() override;
    Q_DISABLE_COPY_MOVE(Form)

    // Parent of the window's controls, which are placed in it at their twip positions converted
    // to pixels (twipsRect).
    QWidget *client() const { return m_client; }

    // Runs Form_Load once; the owner calls it right after creating the window.
    void Load();
    // Shows the window; a modal show returns once the window is hidden or unloaded.
    void Show(ShowMode mode = ShowMode::Modeless);
    void Hide();
    // Runs Form_Unload, then closes the window for good; returns false if it was cancelled.
    bool Unload();
    bool isUnloaded() const { return m_unloaded; }

    void setDefaultButton(QPushButton *button);
    // Focus order, first to last; controls that take no focus are skipped.
    void setTabOrder(std::initializer_list<QWidget *> order);

    QMenu *addMenu(const QString &objectName, const QString &caption);
    QAction *addMenuItem(QMenu *menu, const QString &objectName, const QString &caption,
                         std::function<void()> handler);
    QAction *addMenuSeparator(QMenu *menu, const QString &objectName);
    QMenuBar *menuBar() const { return m_menuBar; }

    // Runs handler through the error-handling path whenever button is clicked.
    void onClick(QPushButton *button, std::function<void()> handler);

Q_SIGNALS:
    void unloaded();

protected:
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Unload(int &Cancel) { Q_UNUSED(Cancel); }
    // The close box with CloseAction::Custom.
    virtual void closeBoxPressed() {}

    // Outside QDialog, Qt gives Enter to no default button; here it does, and Esc does nothing.
    void keyPressEvent(QKeyEvent *event) override;
    // Qt closes (or hides) the window; here the window's close action decides.
    void closeEvent(QCloseEvent *event) override;
    // A modal show has its own event loop, which Qt would not end when the window hides.
    void hideEvent(QHideEvent *event) override;

private:
    // Tests tell a window shown from one in its modal loop through it.
    friend class testing::FormProbe;

    void placeOnFirstShow();
    void focusFirstControl();
    void endModalLoop();

    FormGeometry m_geometry;
    QVBoxLayout *m_layout = nullptr;
    QWidget *m_client = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QPointer<QPushButton> m_defaultButton;
    std::vector<QPointer<QWidget>> m_tabOrder;
    QEventLoop *m_modalLoop = nullptr;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_placed = false;
};

} // namespace platform
