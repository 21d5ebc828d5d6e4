// A scrolling area as high as its content, up to a maximum: a sheet or a
// window built on it grows and shrinks with what it shows and scrolls only
// beyond the maximum.
#pragma once

#include "FollowsFocusArea.h"

#include <optional>

class FitsContentArea : public FollowsFocusArea
{
    Q_OBJECT

public:
    explicit FitsContentArea(int maximumHeight, QWidget *parent = nullptr);

    // Takes the content; the area follows its height from now on.
    void setContent(QWidget *content);
    // The content's height last measured; none before the first measurement
    // (and while the content has no height), when the area fixes no height.
    std::optional<int> measuredHeight() const { return m_height; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void measure();

    int m_maximum;
    std::optional<int> m_height;
};
