#include "ConditionRow.h"

#include "CharacterRoom.h"
#include "FocusPlace.h"
#include "Labels.h"
#include "Roles.h"
#include "Symbols.h"
#include "ThemeStore.h"
#include "WheelAfterFocus.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>

using Field = Condition::Field;

namespace {
constexpr int markSize = 16;
}

ConditionRow::ConditionRow(const Condition &condition, bool aiAvailable, QWidget *parent)
    : RuleRow(parent)
    , m_condition(condition)
    , m_aiAvailable(aiAvailable)
{
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("field"));
    m_field->setAccessibleName(tr("Field"));
    WheelAfterFocus::keep(m_field);
    for (const Field field : Condition::allFields)
        m_field->addItem(Labels::title(field), static_cast<int>(field));
    connect(m_field, &QComboBox::currentIndexChanged, this,
            [this](int index) { chooseField(static_cast<Field>(m_field->itemData(index).toInt())); });

    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("operator"));
    m_operator->setAccessibleName(tr("Operator"));
    WheelAfterFocus::keep(m_operator);
    m_operator->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_operator, &QComboBox::currentIndexChanged, this, &ConditionRow::chooseOperator);

    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setAccessibleName(tr("Value"));
    CharacterRoom::keep(m_value, valueCharacters);
    connect(m_value, &QLineEdit::textEdited, this, &ConditionRow::typeValue);

    m_mark = new QLabel(this);
    m_mark->setObjectName(QStringLiteral("mark"));
    m_mark->setToolTip(tr("Read from the file content by the local language model on this computer"));
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, &ConditionRow::refreshMark);

    // A control the model takes away keeps the focus in its place, not on
    // the next one (Remove, which a Space would press).
    m_place = new FocusPlace(this);
    for (QWidget *control : {static_cast<QWidget *>(m_field), static_cast<QWidget *>(m_operator),
                             static_cast<QWidget *>(m_value)})
        m_place->keep(control);

    controls()->addWidget(m_field);
    controls()->addWidget(m_operator);
    controls()->addWidget(m_value, 1);
    controls()->addStretch();
    controls()->addWidget(m_mark);
    refresh();
    orderTabs();
}

void ConditionRow::setAiAvailable(bool available)
{
    if (available == m_aiAvailable)
        return;
    m_aiAvailable = available;
    refreshEnabled();
}

QString ConditionRow::sample(Field field)
{
    switch (field) {
    case Field::kind:
        return QStringLiteral("invoice");
    case Field::date:
        return QStringLiteral("2026-01-01");
    case Field::amount:
        return QStringLiteral("100");
    case Field::fileType:
        return QStringLiteral("pdf");
    case Field::age:
        return QStringLiteral("7");
    case Field::size:
        return QStringLiteral("10");
    case Field::sender:
    case Field::name:
    case Field::text:
        break;
    }
    return QString();
}

QString ConditionRow::kindSummary(const QString &value)
{
    const Condition probe{QUuid(), Field::kind, Condition::Operator::is, value};
    QStringList titles;
    for (const QString &piece : probe.values()) {
        if (const std::optional<DocumentKind> kind = DocumentKinds::fromRawValue(piece))
            titles.append(Labels::title(*kind));
    }
    return titles.isEmpty() ? tr("Choose") : titles.join(QStringLiteral(", "));
}

QString ConditionRow::toggledKind(const QString &value, DocumentKind kind, bool on)
{
    const QString raw = DocumentKinds::rawValue(kind);
    QStringList pieces = Condition{QUuid(), Field::kind, Condition::Operator::is, value}.values();
    pieces.removeAll(raw);
    if (on)
        pieces.append(raw);
    return pieces.join(u',');
}

QString ConditionRow::fileTypeLabel(const QString &value)
{
    QStringList parts;
    for (const QString &piece : Condition{QUuid(), Field::fileType, Condition::Operator::is, value}.values()) {
        const std::optional<FileCategory> category = FileCategories::fromRawValue(piece);
        parts.append(category ? Labels::title(*category) : QLatin1Char('.') + piece);
    }
    return parts.isEmpty() ? QLatin1Char('.') + value : parts.join(QStringLiteral(", "));
}

QComboBox *ConditionRow::fileTypePicker()
{
    // The pickers are made when a row first needs them: most rows never do.
    if (m_fileType)
        return m_fileType;
    m_fileType = new QComboBox(this);
    m_fileType->setObjectName(QStringLiteral("fileType"));
    m_fileType->setAccessibleName(tr("Type"));
    WheelAfterFocus::keep(m_fileType);
    m_fileType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_fileType, &QComboBox::currentIndexChanged, this, &ConditionRow::chooseFileType);
    controls()->insertWidget(valueEditorIndex, m_fileType);
    m_place->keep(m_fileType);
    orderTabs();
    return m_fileType;
}

QPushButton *ConditionRow::kindButton()
{
    if (m_kind)
        return m_kind;
    // A push button makes room for its menu mark beside the text, so that
    // it can keep its natural size without the mark covering the names.
    m_kind = new QPushButton(this);
    m_kind->setObjectName(QStringLiteral("kind"));
    m_kind->setAutoDefault(false);
    m_kind->setSizePolicy(QSizePolicy::Fixed, m_kind->sizePolicy().verticalPolicy());
    m_kindMenu = new QMenu(m_kind);
    for (const DocumentKind kind : DocumentKinds::allCases) {
        QAction *toggle = m_kindMenu->addAction(Labels::title(kind));
        toggle->setCheckable(true);
        toggle->setData(static_cast<int>(kind));
        connect(toggle, &QAction::triggered, this, [this, kind](bool on) { toggleKind(kind, on); });
    }
    m_kind->setMenu(m_kindMenu);
    controls()->insertWidget(valueEditorIndex, m_kind);
    m_place->keep(m_kind);
    orderTabs();
    return m_kind;
}

void ConditionRow::chooseField(Field field)
{
    if (field == m_condition.field)
        return;
    const QList<Condition::Operator> operators = Condition::operators(field);
    if (!operators.contains(m_condition.op))
        m_condition.op = operators.constFirst();
    m_condition.field = field;
    m_condition.value = sample(field);
    refresh();
    Q_EMIT conditionChanged(m_condition);
}

void ConditionRow::chooseOperator(int index)
{
    if (index < 0)
        return;
    m_condition.op = static_cast<Condition::Operator>(m_operator->itemData(index).toInt());
    Q_EMIT conditionChanged(m_condition);
}

void ConditionRow::chooseFileType(int index)
{
    if (index < 0)
        return;
    m_condition.value = m_fileType->itemData(index).toString();
    refresh();
    Q_EMIT conditionChanged(m_condition);
}

void ConditionRow::toggleKind(DocumentKind kind, bool on)
{
    m_condition.value = toggledKind(m_condition.value, kind, on);
    refreshKindMenu();
    Q_EMIT conditionChanged(m_condition);
}

void ConditionRow::typeValue(const QString &text)
{
    m_condition.value = text;
    Q_EMIT conditionChanged(m_condition);
}

void ConditionRow::refresh()
{
    const Field field = m_condition.field;
    {
        const QSignalBlocker blockField(m_field);
        m_field->setCurrentIndex(m_field->findData(static_cast<int>(field)));
    }
    {
        const QSignalBlocker blockOperator(m_operator);
        m_operator->clear();
        for (const Condition::Operator op : Condition::operators(field))
            m_operator->addItem(Labels::title(op), static_cast<int>(op));
        m_operator->setCurrentIndex(m_operator->findData(static_cast<int>(m_condition.op)));
    }

    if (m_fileType)
        m_fileType->setVisible(field == Field::fileType);
    if (m_kind)
        m_kind->setVisible(field == Field::kind);
    m_value->setVisible(field != Field::fileType && field != Field::kind);
    if (field == Field::fileType) {
        const QSignalBlocker blockType(fileTypePicker());
        m_fileType->setVisible(true);
        m_fileType->clear();
        for (const FileCategory category : FileCategories::allCases)
            m_fileType->addItem(Labels::title(category), FileCategories::rawValue(category));
        // A value that names no single category (an extension, or several
        // values) is shown as it is and kept until another one is picked.
        if (!FileCategories::fromRawValue(m_condition.value))
            m_fileType->addItem(fileTypeLabel(m_condition.value), m_condition.value);
        m_fileType->setCurrentIndex(m_fileType->findData(m_condition.value));
    } else if (field == Field::kind) {
        kindButton()->setVisible(true);
        refreshKindMenu();
    } else {
        if (m_value->text() != m_condition.value) {
            m_value->setText(m_condition.value);
            // A value too long for the field shows its start, not its end.
            m_value->setCursorPosition(0);
        }
        m_value->setPlaceholderText(sample(field));
    }
    refreshEnabled();
}

void ConditionRow::refreshKindMenu()
{
    const QStringList pieces = m_condition.values();
    for (QAction *toggle : m_kindMenu->actions())
        toggle->setChecked(pieces.contains(DocumentKinds::rawValue(static_cast<DocumentKind>(toggle->data().toInt()))));
    m_kind->setText(kindSummary(m_condition.value));
}

void ConditionRow::refreshEnabled()
{
    auto *items = qobject_cast<QStandardItemModel *>(m_field->model());
    for (int i = 0; i < m_field->count(); ++i) {
        const auto field = static_cast<Field>(m_field->itemData(i).toInt());
        items->item(i)->setEnabled(m_aiAvailable || !Condition::needsRecognition(field));
    }
    const bool needsRecognition = Condition::needsRecognition(m_condition.field);
    // Only the controls: the Remove button stays, so that a condition the
    // model cannot test now can still be taken out of the rule.
    const bool enabled = m_aiAvailable || !needsRecognition;
    for (QWidget *control : {static_cast<QWidget *>(m_field), static_cast<QWidget *>(m_operator),
                             static_cast<QWidget *>(m_fileType), static_cast<QWidget *>(m_kind),
                             static_cast<QWidget *>(m_value), static_cast<QWidget *>(m_mark)}) {
        if (control)
            m_place->enable(control, enabled);
    }
    m_mark->setVisible(needsRecognition);
    refreshMark();
}

void ConditionRow::refreshMark()
{
    if (!Condition::needsRecognition(m_condition.field))
        return;
    const QColor tint = m_aiAvailable ? ThemeStore::instance().theme().accentText(palette()) : Roles::secondary(palette());
    m_mark->setPixmap(Symbols::tinted(QStringLiteral("apple.intelligence"), markSize, tint, devicePixelRatioF()));
}

void ConditionRow::changeEvent(QEvent *event)
{
    RuleRow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refreshMark();
}
