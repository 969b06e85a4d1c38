// ListModel: the in-place diff behind the three mixer lists. Every case runs under
// QAbstractItemModelTester, and spies make sure rows are changed one at a time and never reset.

#include "backend/list_model.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using qv::ui::ListModel;

namespace {

QVariantMap row(const QString& id, double gain, const QString& name = QStringLiteral("n")) {
    return {{"id", id}, {"gainDb", gain}, {"name", name}};
}

QStringList idsOf(const ListModel& model) {
    QStringList ids;
    for (int i = 0; i < model.count(); ++i)
        ids.append(model.get(i).value("id").toString());
    return ids;
}

// All the signals a diff may emit, plus the ones it must never emit.
struct Spies {
    explicit Spies(ListModel* m)
        : inserted(m, &QAbstractItemModel::rowsInserted),
          removed(m, &QAbstractItemModel::rowsRemoved), moved(m, &QAbstractItemModel::rowsMoved),
          changed(m, &QAbstractItemModel::dataChanged), reset(m, &QAbstractItemModel::modelReset),
          layout(m, &QAbstractItemModel::layoutChanged), count(m, &ListModel::countChanged) {}
    QSignalSpy inserted, removed, moved, changed, reset, layout, count;
    void clear() {
        for (QSignalSpy* s : {&inserted, &removed, &moved, &changed, &reset, &layout, &count})
            s->clear();
    }
    qsizetype total() const {
        return inserted.size() + removed.size() + moved.size() + changed.size() + reset.size() +
               layout.size() + count.size();
    }
};

} // namespace

class ListModelTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        model = std::make_unique<ListModel>(QStringList{"name", "gainDb"});
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        spies = std::make_unique<Spies>(model.get());
    }
    void cleanup() {
        spies.reset();
        tester.reset();
        model.reset();
    }

    // "id" comes first unless the roles name it, and a row without a role's key reads as invalid.
    void rolesAndNames() {
        ListModel withId(QStringList{"name", "id"});
        QCOMPARE(withId.roleNames(), (QHash<int, QByteArray>{{257, "name"}, {258, "id"}}));
        model->setRows({{{"id", "a"}, {"name", "Микрофон"}}});
        QCOMPARE(model->data(model->index(0), 258).toString(), QString("Микрофон"));
        QVERIFY(!model->data(model->index(0), 259).isValid());
        QCOMPARE(model->indexOf("A"), -1);
    }

    void adjacentSwapIsOneMove() {
        model->setRows({row("a", 1), row("b", 2), row("c", 3)});
        spies->clear();
        model->setRows({row("a", 1), row("c", 3), row("b", 2)});
        QCOMPARE(spies->moved.size(), 1);
        QCOMPARE(spies->moved[0][1].toInt(), 2); // source row
        QCOMPARE(spies->moved[0][4].toInt(), 1); // destination
        QCOMPARE(spies->changed.size(), 0);
        QCOMPARE(spies->count.size(), 0);
        QCOMPARE(idsOf(*model), (QStringList{"a", "c", "b"}));
    }

    // Equal values in freshly built maps, as every rebuild produces them, change nothing; nor do
    // differences outside the roles.
    void differencesOutsideRolesLeaveRowAlone() {
        QVariantMap a = row("a", 1);
        a["extra"] = 1;
        model->setRows({a});
        spies->clear();
        model->setRows({row("a", 1)});
        QCOMPARE(spies->total(), 0);
        a["extra"] = 2;
        model->setRows({a});
        QCOMPARE(spies->total(), 0);
        QCOMPARE(model->get(0).value("extra").toInt(), 1); // the stored row was kept

        // Once a role changes, the whole new row is taken, non-role keys included.
        a["gainDb"] = 3.0;
        model->setRows({a});
        QCOMPARE(model->get(0).value("extra").toInt(), 2);
    }

    // randomDiffs checks one row per signal; here the order: removed from the last to the first.
    void removesFromTheLastRow() {
        model->setRows({row("a", 1), row("b", 2), row("c", 3), row("d", 4), row("e", 5)});
        spies->clear();
        model->setRows({row("b", 2), row("d", 4)});
        QCOMPARE(spies->removed.size(), 3);
        QCOMPARE(spies->removed[0][1].toInt(), 4);
        QCOMPARE(spies->removed[1][1].toInt(), 2);
        QCOMPARE(spies->removed[2][1].toInt(), 0);
    }

    void repeatedIdsStillEndEqual() {
        model->setRows({row("a", 1), row("a", 2)});
        QCOMPARE(model->count(), 2);
        model->setRows({row("a", 1)});
        QCOMPARE(model->count(), 1);
        QCOMPARE(model->get(0), row("a", 1));
        model->setRows({row("b", 1), row("a", 1), row("a", 3)});
        QCOMPARE(idsOf(*model), (QStringList{"b", "a", "a"}));
        QCOMPARE(model->get(2).value("gainDb").toDouble(), 3.0);
    }

    // Random lists over a pool of ids: permuted, grown, shrunk, with values changed. After each
    // step the model holds exactly the target rows, inserts and removes match the ids that came
    // and went, and every dataChanged names exactly the roles whose values changed.
    void randomDiffs() {
        QRandomGenerator rng(20240611);
        const QStringList roles = model->roles();
        QHash<QString, QVariantMap> before;
        for (int step = 0; step < 400; ++step) {
            QStringList pool;
            for (int i = 0; i < 40; ++i)
                pool.append(QStringLiteral("id%1").arg(i));
            std::shuffle(pool.begin(), pool.end(), rng);
            const int n = rng.bounded(step % 10 == 0 ? 3 : 41); // now and then almost empty
            QList<QVariantMap> target;
            for (int i = 0; i < n; ++i) {
                QVariantMap r = row(pool[i], rng.bounded(3), rng.bounded(4) == 0 ? "b" : "a");
                if (rng.bounded(5) == 0)
                    r.remove("name");
                target.append(r);
            }

            spies->clear();
            model->setRows(target);

            QCOMPARE(model->rows(), target);
            QCOMPARE(model->count(), int(target.size()));
            for (int i = 0; i < n; ++i)
                for (int k = 0; k < roles.size(); ++k)
                    QCOMPARE(model->data(model->index(i), 257 + k), target[i].value(roles[k]));
            QCOMPARE(spies->reset.size(), 0);
            QCOMPARE(spies->layout.size(), 0);

            QSet<QString> targetIds;
            for (const QVariantMap& r : target)
                targetIds.insert(r.value("id").toString());
            qsizetype gone = 0, kept = 0;
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                targetIds.contains(it.key()) ? ++kept : ++gone;
            QCOMPARE(spies->removed.size(), gone);
            QCOMPARE(spies->inserted.size(), target.size() - kept);
            QCOMPARE(spies->count.size(), before.size() != target.size() ? 1 : 0);

            // A dataChanged row index is final once emitted: later steps touch only later rows.
            QHash<QString, QList<int>> reported;
            for (const QList<QVariant>& args : spies->changed) {
                const int at = args[0].toModelIndex().row();
                QCOMPARE(args[1].toModelIndex().row(), at);
                reported.insert(target[at].value("id").toString(), args[2].value<QList<int>>());
            }
            QCOMPARE(reported.size(), spies->changed.size()); // one per row at most
            for (const QVariantMap& r : target) {
                const QString id = r.value("id").toString();
                if (!before.contains(id))
                    continue;
                QList<int> expected;
                for (int k = 0; k < roles.size(); ++k)
                    if (before[id].value(roles[k]) != r.value(roles[k]))
                        expected.append(257 + k);
                QCOMPARE(reported.value(id), expected);
            }

            before.clear();
            for (const QVariantMap& r : target)
                before.insert(r.value("id").toString(), r);
        }
    }

private:
    std::unique_ptr<ListModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::unique_ptr<Spies> spies;
};

QTEST_GUILESS_MAIN(ListModelTest)
#include "list_model_test.moc"
