#pragma once
// ListModel: the generic list model behind qv.channels, qv.sources and qv.devices.
//
// Rows are QVariantMaps keyed by "id". The model is only ever written through setRows(), which
// updates the stored rows in place by identity (single-row removes, inserts and moves, then
// dataChanged for the roles whose values differ) and never resets, so QML delegates of
// unchanged rows - a fader being dragged, for instance - survive every rebuild.
//
//   ListModel(roles, parent)    roles fixed for the model's life; "id" is put first when absent.
//                               Role k (0-based) has the number Qt::UserRole + 1 + k (257 + k).
//   count / countChanged()      number of rows; countChanged only when setRows changed it.
//   get(row)                    the stored row; an empty map for an index out of range.
//   indexOf(id)                 first row whose "id" equals id exactly; -1 when none.
//   setRows(rows)               diff the stored rows towards `rows` (see list_model.cpp).
//   rows(), roles()             read-only access for the Backend and tests.

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace qv::ui {

class ListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    static constexpr int kFirstRole = Qt::UserRole + 1; // 257

    explicit ListModel(const QStringList& roles, QObject* parent = nullptr);

    int count() const { return int(m_rows.size()); }
    Q_INVOKABLE QVariantMap get(int row) const;
    Q_INVOKABLE int indexOf(const QString& id) const;

    // Replaces the rows by a minimal sequence of single-row changes. Not visible to QML.
    void setRows(const QList<QVariantMap>& rows);

    const QList<QVariantMap>& rows() const { return m_rows; }
    const QStringList& roles() const { return m_roles; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    // Role keys in QMap key order, so one row's roles can be compared by walking the two maps
    // side by side instead of doing two map lookups per role.
    struct SortedRole {
        QString key;
        int number;
    };

    void changedRoles(const QVariantMap& stored, const QVariantMap& next, QList<int>& out) const;

    QStringList m_roles;
    QList<SortedRole> m_sortedRoles;
    QList<QVariantMap> m_rows;
    QList<QString> m_ids; // m_ids[i] is m_rows[i]["id"] as a string, kept in step with m_rows
};

} // namespace qv::ui
