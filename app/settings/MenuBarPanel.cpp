#include "MenuBarPanel.h"

#include "AppModel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

MenuBarPanel::MenuBarPanel(AppModel &model, std::function<void()> openMainWindow, QWidget *parent)
    : QFrame(parent, Qt::Popup)
    , m_model(model)
{
    setObjectName(QStringLiteral("menuBarPanel"));
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Filewright"), this);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    auto *open = new QPushButton(tr("Open Filewright"), this);
    open->setObjectName(QStringLiteral("openMainWindow"));
    connect(open, &QPushButton::clicked, this, [this, openMainWindow = std::move(openMainWindow)] {
        hide();
        openMainWindow();
    });
    layout->addWidget(open);
    setMinimumWidth(320);
}

void MenuBarPanel::popUp(const QPoint &position)
{
    adjustSize();
    QPoint topLeft = position;
    if (const QScreen *screen = QGuiApplication::screenAt(position)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x() - width() / 2, area.left(), area.right() - width()));
        topLeft.setY(std::clamp(topLeft.y(), area.top(), area.bottom() - height()));
    }
    move(topLeft);
    show();
    raise();
    activateWindow();
}
