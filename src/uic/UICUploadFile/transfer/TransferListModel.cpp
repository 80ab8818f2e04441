#include "uic/UICUploadFile/transfer/TransferListModel.h"

#include <algorithm>

#include "platform/CodePage.h"

CTransferListModel::CTransferListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CTransferListModel::SetColumns(const QStringList& headings) {
    beginResetModel();
    m_headings = headings;
    m_rows.clear();
    m_firstChanged = m_lastChanged = -1;
    endResetModel();
}

void CTransferListModel::SetImages(std::vector<QIcon> images) {
    m_images = std::move(images);
    if (!m_rows.empty()) {
        emit dataChanged(index(0, kStateColumn), index(rowCount() - 1, kStateColumn), {Qt::DecorationRole});
    }
}

int CTransferListModel::AppendRow(tagFileInfo* record, int image) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_rows.push_back(Row{record, image, {}, {}});
    endInsertRows();
    return row;
}

void CTransferListModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    FlushChanges();
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void CTransferListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_firstChanged = m_lastChanged = -1;
    endResetModel();
}

void CTransferListModel::SetText(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kMaxColumns) {
        return;
    }
    Row& target = m_rows[row];
    std::string& source = target.sources[column];
    if (source == text) {
        return;
    }
    source = text;
    // Figures are plain ASCII and need no code page conversion.
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    target.cells[column] =
        ascii ? QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) : ToQString(text);
    MarkChanged(row);
}

QString CTransferListModel::Text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kMaxColumns) {
        return {};
    }
    return m_rows[row].cells[column];
}

void CTransferListModel::SetImage(int row, int image) {
    if (row >= 0 && row < rowCount() && m_rows[row].image != image) {
        m_rows[row].image = image;
        MarkChanged(row);
    }
}

int CTransferListModel::Image(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[row].image : -1;
}

tagFileInfo* CTransferListModel::Record(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[row].record : nullptr;
}

int CTransferListModel::FindRecordId(int32_t id) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (m_rows[row].record && m_rows[row].record->nFileID == id) {
            return row;
        }
    }
    return -1;
}

void CTransferListModel::Reorder(const std::vector<size_t>& order) {
    emit layoutAboutToBeChanged();
    std::vector<Row> sorted;
    sorted.reserve(order.size());
    std::vector<int> newPosition(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[order[i]]));
        newPosition[order[i]] = static_cast<int>(i);
    }
    // The selection follows its rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& old : before) {
        after.push_back(index(newPosition[old.row()], old.column()));
    }
    m_rows = std::move(sorted);
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

std::vector<const tagFileInfo*> CTransferListModel::Records() const {
    std::vector<const tagFileInfo*> records;
    records.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        records.push_back(row.record);
    }
    return records;
}

void CTransferListModel::MarkChanged(int row) {
    m_firstChanged = m_firstChanged < 0 ? row : std::min(m_firstChanged, row);
    m_lastChanged = std::max(m_lastChanged, row);
}

void CTransferListModel::FlushChanges() {
    if (m_firstChanged < 0) {
        return;
    }
    const int first = m_firstChanged;
    const int last = std::min(m_lastChanged, rowCount() - 1);
    m_firstChanged = m_lastChanged = -1;
    if (first <= last) {
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
    }
}

int CTransferListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CTransferListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant CTransferListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = m_rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return row.cells[index.column()];
        case Qt::DecorationRole:
            if (index.column() == kStateColumn && row.image >= 0 &&
                row.image < static_cast<int>(m_images.size())) {
                return m_images[row.image];
            }
            return {};
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case RecordRole:
            return QVariant::fromValue(reinterpret_cast<quintptr>(row.record));
        case ImageRole:
            return row.image;
        default:
            return {};
    }
}

QVariant CTransferListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headings.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_headings[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return {};
}
