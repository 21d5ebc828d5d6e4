#include "GeneralSettings.h"

#include "Autopilot.h"
#include "FormSection.h"
#include "LineLimitedLabel.h"
#include "LoginItem.h"
#include "ModelStatusLine.h"
#include "Prefs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QVBoxLayout>

#include <limits>

namespace {

QCheckBox *preferenceSwitch(const QString &text, const char16_t *key, QWidget *parent)
{
    auto *toggle = new QCheckBox(text, parent);
    toggle->setObjectName(QString::fromUtf16(key));
    toggle->setChecked(Prefs::boolValue(QString::fromUtf16(key)));
    QObject::connect(toggle, &QCheckBox::toggled, toggle,
                     [key](bool on) { Prefs::setValue(QString::fromUtf16(key), on); });
    return toggle;
}

} // namespace

GeneralSettings::GeneralSettings(Autopilot &autopilot, QWidget *parent)
    : QWidget(parent)
    , m_autopilot(autopilot)
{
    setObjectName(QStringLiteral("generalSettings"));
    auto *layout = new QVBoxLayout(this);

    auto *recognition = new FormSection(tr("Recognition"), this);
    auto *useModel = new QCheckBox(tr("Read file content with the local language model"), recognition);
    useModel->setObjectName(QString::fromUtf16(Prefs::useModelKey));
    useModel->setChecked(Prefs::boolValue(QString::fromUtf16(Prefs::useModelKey)));
    // Only a change the user makes asks the model server again, never the page showing.
    connect(useModel, &QCheckBox::toggled, this, [this](bool on) { m_autopilot.setUseModel(on); });
    recognition->addRow(useModel);
    m_status = new ModelStatusLine(m_autopilot.modelStatus(), ModelStatusLine::Look::dimmed, recognition);
    recognition->addRow(m_status);
    recognition->setFooter(tr("The local language model runs on this computer. Files and their text stay here."));
    layout->addWidget(recognition);

    auto *autopilotSection = new FormSection(tr("Autopilot"), this);
    auto *wait = new QComboBox(autopilotSection);
    wait->setObjectName(QString::fromUtf16(Prefs::minimumWaitKey));
    wait->addItem(tr("3 seconds"), waitChoices[0]);
    wait->addItem(tr("10 seconds"), waitChoices[1]);
    wait->addItem(tr("1 minute"), waitChoices[2]);
    // A stored wait that is none of the choices selects none of them.
    wait->setCurrentIndex(wait->findData(Prefs::doubleValue(QString::fromUtf16(Prefs::minimumWaitKey))));
    connect(wait, &QComboBox::activated, this, [wait](int index) {
        Prefs::setValue(QString::fromUtf16(Prefs::minimumWaitKey), wait->itemData(index));
    });
    autopilotSection->addRow(tr("Wait before acting"), wait);
    autopilotSection->addRow(preferenceSwitch(tr("Notify me when a file is filed"), Prefs::notifyKey, autopilotSection));
    m_launchAtLogin = new QCheckBox(tr("Open at login"), autopilotSection);
    m_launchAtLogin->setObjectName(QStringLiteral("launchAtLogin"));
    m_launchAtLogin->setChecked(LoginItem::isEnabled());
    connect(m_launchAtLogin, &QCheckBox::toggled, this, &GeneralSettings::setLaunchAtLogin);
    autopilotSection->addRow(m_launchAtLogin);
    // Names a folder or file: a long name breaks inside and never widens the page.
    m_loginError = new LineLimitedLabel(std::numeric_limits<int>::max(), autopilotSection);
    m_loginError->setObjectName(QStringLiteral("loginError"));
    m_loginError->setVisible(false);
    autopilotSection->addRow(m_loginError);
    autopilotSection->setFooter(tr("A file must stay unchanged this long before a rule runs, so downloads can finish."));
    layout->addWidget(autopilotSection);
    layout->addStretch();

    connect(&m_autopilot, &Autopilot::modelStatusChanged, this, &GeneralSettings::showModelStatus);
    showModelStatus();
}

void GeneralSettings::showModelStatus()
{
    m_status->setStatus(m_autopilot.modelStatus());
}

void GeneralSettings::setLaunchAtLogin(bool enabled)
{
    QString error;
    const bool written = LoginItem::setEnabled(enabled, &error);
    m_loginError->setText(error);
    m_loginError->setVisible(!written);
    // The switch shows what is on disk, also after a failure.
    const QSignalBlocker blocker(m_launchAtLogin);
    m_launchAtLogin->setChecked(LoginItem::isEnabled());
}
