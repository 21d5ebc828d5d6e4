#include "ActionRow.h"

#include "ApplicationCatalog.h"
#include "CharacterRoom.h"
#include "StandardFolders.h"
#include "Symbols.h"
#include "WheelAfterFocus.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>

using Kind = RuleAction::Kind;

namespace {

QString askForApplication(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, ActionRow::tr("Choose an Application"), QStringLiteral("/usr/bin"),
                                        ActionRow::tr("Applications (*.desktop *)"));
}

QIcon applicationIcon(const QString &icon)
{
    if (icon.isEmpty())
        return Symbols::icon(QStringLiteral("arrow.up.forward.app"));
    if (QFileInfo(icon).isAbsolute())
        return QIcon(icon);
    return QIcon::fromTheme(icon, Symbols::icon(QStringLiteral("arrow.up.forward.app")));
}

} // namespace

ActionRow::ActionRow(const RuleAction &action, const ApplicationCatalog *applications, QWidget *parent)
    : RuleRow(parent)
    , m_action(action)
    , m_applications(applications)
    , m_chooser(askForApplication)
{
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("kind"));
    m_kind->setAccessibleName(tr("Action"));
    WheelAfterFocus::keep(m_kind);
    for (const Kind kind : RuleAction::allKinds)
        m_kind->addItem(title(kind), static_cast<int>(kind));
    // Only a change of the chosen kind resets the value; choosing the same one does nothing.
    connect(m_kind, &QComboBox::currentIndexChanged, this, &ActionRow::chooseKind);

    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setAccessibleName(tr("Value"));
    m_value->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Room for a template: where the line is too short beside the kind, the
    // field goes on over a second line rather than showing a few characters.
    CharacterRoom::keep(m_value, valueCharacters);
    connect(m_value, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_action.value = text;
        Q_EMIT actionChanged(m_action);
    });

    m_application = new QToolButton(this);
    m_application->setObjectName(QStringLiteral("application"));
    static const QIcon applicationsIcon = Symbols::icon(QStringLiteral("arrow.up.forward.app"));
    m_application->setIcon(applicationsIcon);
    m_application->setToolTip(tr("Choose Application"));
    m_application->setAccessibleName(tr("Choose Application"));
    m_application->setPopupMode(QToolButton::InstantPopup);
    m_applicationMenu = new QMenu(m_application);
    connect(m_applicationMenu, &QMenu::aboutToShow, this, &ActionRow::fillApplicationMenu);
    m_application->setMenu(m_applicationMenu);

    controls()->addWidget(m_kind);
    controls()->addWidget(m_value, 1);
    controls()->addWidget(m_application);
    refresh();
    orderTabs();
}

QString ActionRow::title(Kind kind)
{
    switch (kind) {
    case Kind::move:
        return tr("Move to");
    case Kind::rename:
        return tr("Rename to");
    case Kind::tag:
        return tr("Add tags");
    case Kind::trashAfter:
        return tr("Trash after days");
    case Kind::openWith:
        return tr("Open with");
    case Kind::copy:
        return tr("Copy to");
    }
    return QString();
}

QString ActionRow::sample(Kind kind)
{
    switch (kind) {
    case Kind::move:
    case Kind::copy:
        return StandardFolders::tilde(StandardFolders::Folder::documents) + QStringLiteral("/{jahr}");
    case Kind::rename:
        return QStringLiteral("{datum} {absender} {original}");
    case Kind::tag:
        return QStringLiteral("Filewright");
    case Kind::trashAfter:
        return QStringLiteral("7");
    case Kind::openWith:
        return QStringLiteral("Preview");
    }
    return QString();
}

QString ActionRow::symbol(Kind kind)
{
    switch (kind) {
    case Kind::move:
        return QStringLiteral("folder");
    case Kind::rename:
        return QStringLiteral("character.cursor.ibeam");
    case Kind::tag:
        return QStringLiteral("tag");
    case Kind::trashAfter:
        return QStringLiteral("trash");
    case Kind::openWith:
        return QStringLiteral("arrow.up.forward.app");
    case Kind::copy:
        return QStringLiteral("doc.on.doc");
    }
    return QString();
}

void ActionRow::chooseKind(int index)
{
    if (index < 0)
        return;
    m_action.kind = static_cast<Kind>(m_kind->itemData(index).toInt());
    m_action.value = sample(m_action.kind);
    refresh();
    Q_EMIT actionChanged(m_action);
}

void ActionRow::setValue(const QString &value)
{
    m_action.value = value;
    refresh();
    Q_EMIT actionChanged(m_action);
}

void ActionRow::fillApplicationMenu()
{
    m_applicationMenu->clear();
    if (m_applications) {
        for (const ApplicationLauncher::InstalledApplication &application : m_applications->applications()) {
            QAction *entry = m_applicationMenu->addAction(applicationIcon(application.icon), application.name);
            entry->setData(application.id);
            entry->setCheckable(true);
            entry->setChecked(m_action.value == application.id);
            connect(entry, &QAction::triggered, this, [this, id = application.id] { setValue(id); });
        }
        if (!m_applicationMenu->isEmpty())
            m_applicationMenu->addSeparator();
    }
    m_applicationMenu->addAction(tr("Other Application…"), this, [this] {
        const QString path = m_chooser ? m_chooser(this) : QString();
        if (!path.isEmpty())
            setValue(path);
    });
}

void ActionRow::refresh()
{
    {
        const QSignalBlocker blockKind(m_kind);
        m_kind->setCurrentIndex(m_kind->findData(static_cast<int>(m_action.kind)));
    }
    if (m_value->text() != m_action.value) {
        m_value->setText(m_action.value);
        // A value too long for the field shows its start, not its end.
        m_value->setCursorPosition(0);
    }
    m_value->setPlaceholderText(sample(m_action.kind));
    m_application->setVisible(m_action.kind == Kind::openWith);
}
