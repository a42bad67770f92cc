#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Two arrows that step the number in their buddy edit, within a range. The
// edit keeps whatever is typed into it: a number beyond the range or an empty
// text stays as it is until an arrow is pressed, so that the page's own check
// sees it (a QSpinBox would clamp the one and revert the other).
class UpDownControl : public QWidget
{
    Q_OBJECT

public:
    explicit UpDownControl(QWidget *parent = nullptr);

    void setBuddy(QLineEdit *buddy);
    QLineEdit *buddy() const { return m_buddy; }
    void setRange(int lower, int upper);
    int lower() const { return m_lower; }
    int upper() const { return m_upper; }

    // What an arrow does: the buddy's number, or the last position when the
    // text is none, moved by steps and held within the range, written back in
    // decimal without separators.
    void stepBy(int steps);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
};
