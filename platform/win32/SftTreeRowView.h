#pragma once

#include <QAbstractProxyModel>

#include <functional>
#include <vector>

namespace win32 {

class SftTreeSource;

// Which of the grid's rows are shown, and in which order: a proxy over the
// grid's model that holds its own index from shown position to model row.
//
// The rows are chosen by the owner's rule, run again whenever the model is
// refilled or reordered and when the owner asks (reapply). Between those
// moments the shown rows stay as they are: a row whose text is edited keeps
// its place, and a row the model gains at its end is shown at the end, so
// that a new string can be typed into whatever the rule says; a row it gains
// elsewhere puts the rows through the rule again, as a reorder does.
class SftTreeRowView : public QAbstractProxyModel {
    Q_OBJECT
public:
    // Returns the model rows to show, in the order to show them.
    using Rule = std::function<std::vector<int>(const SftTreeSource &model)>;

    explicit SftTreeRowView(SftTreeSource *model, QObject *parent = nullptr);

    // The table shown from now on, as one reset.
    void setSource(SftTreeSource *model);
    SftTreeSource *source() const { return m_model; }

    // An empty rule shows every row in the model's order.
    void setRule(Rule rule);
    void reapply();

    int shownCount() const { return static_cast<int>(m_rows.size()); }
    int modelRowAt(int position) const;  // -1 when out of range
    int positionOf(int modelRow) const;  // -1 when the row is not shown

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;

private:
    std::vector<int> chooseRows() const;
    void rebuildPositions();
    // Re-runs the rule as one layout change, keeping the view's persistent
    // indexes (current cell, selection) on their model rows where still shown.
    void relayout();
    void sourceReset();
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void sourceRowsInserted(const QModelIndex &parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex &parent, int first, int last);
    void sourceLayoutAboutToBeChanged();
    void sourceLayoutChanged();

    void connectSource();

    SftTreeSource *m_model;
    Rule m_rule;
    std::vector<int> m_rows;       // shown position -> model row
    std::vector<int> m_positions;  // model row -> shown position, -1 when hidden
    // During a reorder of the model: the view's persistent indexes, held as model indexes.
    QModelIndexList m_layoutProxyIndexes;
    QList<QPersistentModelIndex> m_layoutSourceIndexes;
};

} // namespace win32
