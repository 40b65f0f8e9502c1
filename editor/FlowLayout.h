#pragma once

#include <QLayout>
#include <QList>

// Lays its items out left to right and starts a new row where the next one
// would not fit, as words wrap in a paragraph; each item keeps its own size.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget *parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

    // How many rows the last arrangement took.
    int rowCount() const { return m_rows; }

private:
    // Places the items in rect (only measures when place is false); gives the height used.
    int arrange(const QRect &rect, bool place, int *rows) const;

    QList<QLayoutItem *> m_items;
    int m_rows = 1;
};
