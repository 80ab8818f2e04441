#pragma once
// The rows of the transfer list: cell texts, the state icon and the record each row stands for, kept the
// way the list shows them (rows are appended, deleted and reordered by the dialog). Cell changes are
// gathered and announced to the view in one notification per refresh.

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"

class CTransferListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kMaxColumns = 10;
    static constexpr int kStateColumn = 1;
    // The row's record (tagFileInfo*) as a quintptr, and the state icon's image index.
    static constexpr int RecordRole = Qt::UserRole + 1;
    static constexpr int ImageRole = Qt::UserRole + 2;

    explicit CTransferListModel(QObject* parent = nullptr);

    // Replaces the column set and empties the list.
    void SetColumns(const QStringList& headings);
    void SetImages(std::vector<QIcon> images);

    int AppendRow(tagFileInfo* record, int image);
    void RemoveRow(int row);
    void Clear();
    void SetText(int row, int column, const std::string& text);
    QString Text(int row, int column) const;
    void SetImage(int row, int image);
    int Image(int row) const;
    tagFileInfo* Record(int row) const;
    // The row holding the record with that task id, or -1.
    int FindRecordId(int32_t id) const;
    // Puts the rows in the given order (positions of the present rows).
    void Reorder(const std::vector<size_t>& order);
    std::vector<const tagFileInfo*> Records() const;
    // Announces the cells changed since the last call in one notification.
    void FlushChanges();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        tagFileInfo* record;
        int image;
        std::array<QString, kMaxColumns> cells;
        // The texts as given, so an unchanged text costs a comparison and no conversion.
        std::array<std::string, kMaxColumns> sources;
    };

    void MarkChanged(int row);

    QStringList m_headings;
    std::vector<QIcon> m_images;
    std::vector<Row> m_rows;
    int m_firstChanged = -1;
    int m_lastChanged = -1;
};
