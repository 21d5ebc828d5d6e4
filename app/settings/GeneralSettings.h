// The General tab: reading file content with the local language model and
// its status, the wait before a rule acts, notifications, and opening at
// login. Controls write their preference at once; readers elsewhere look it
// up each time they need it.
#pragma once

#include <QWidget>

class Autopilot;
class LineLimitedLabel;
class QCheckBox;
class QComboBox;
class ModelStatusLine;

class GeneralSettings : public QWidget
{
    Q_OBJECT

public:
    explicit GeneralSettings(Autopilot &autopilot, QWidget *parent = nullptr);

    // The choices of "Wait before acting", in seconds.
    static constexpr double waitChoices[] = {3.0, 10.0, 60.0};

private:
    void showModelStatus();
    void setLaunchAtLogin(bool enabled);

    Autopilot &m_autopilot;
    ModelStatusLine *m_status = nullptr;
    QCheckBox *m_launchAtLogin = nullptr;
    LineLimitedLabel *m_loginError = nullptr;
};
