// One section of a grouped form, as settings and sheets show them: a header
// above, a rounded card holding label–field rows, a note below.
#pragma once

#include <QWidget>

class QFormLayout;
class QLabel;

class FormSection : public QWidget
{
    Q_OBJECT

public:
    explicit FormSection(const QString &header = {}, QWidget *parent = nullptr);

    // The card's rows: add label–field pairs or full-width widgets to it.
    QFormLayout *form() const { return m_form; }
    void addRow(const QString &label, QWidget *field);
    void addRow(QWidget *wide);

    void setHeader(const QString &header);
    void setFooter(const QString &footer);
    QLabel *footer() const { return m_footer; }

private:
    QLabel *m_header;
    QWidget *m_card;
    QFormLayout *m_form;
    QLabel *m_footer;
};
