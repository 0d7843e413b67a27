#include "store/RowStore.h"

#include <QTest>

// The compact row store gives back every kind of value it was given, and keeps
// rows apart through edits, inserts, removals and reordering.
class TestRowStore : public QObject
{
    Q_OBJECT
private slots:
    void valuesComeBackAsGiven()
    {
        const QVector<QVariant> given{QVariant(), QString(""), QStringLiteral("Ærø Ünïcode €"),
                                      QVariant(qint64(-42)), QVariant(2.5),
                                      QByteArray("caf\xe9", 4), QStringLiteral("end")};
        RowStore store(int(given.size()));
        store.beginRow(7);
        for (const QVariant &v : given)
            store.addValue(v);
        QCOMPARE(store.key(0), 7);
        for (int c = 0; c < given.size(); ++c) {
            const QVariant got = store.value(0, c);
            QCOMPARE(got.isNull(), given[c].isNull());
            QCOMPARE(got.typeId(), given[c].isNull() ? got.typeId() : given[c].typeId());
            QCOMPARE(got, given[c]);
        }
        QVERIFY(store.isNull(0, 0));
        QVERIFY(!store.isNull(0, 1)); // empty text is not null
        QVERIFY(store.text(0, 0).isNull());
        QCOMPARE(store.text(0, 2), QStringLiteral("Ærø Ünïcode €"));
    }

    void rowsStayApartThroughChanges()
    {
        RowStore store(2);
        for (int i = 0; i < 3; ++i) {
            store.beginRow(i);
            const QByteArray t = QByteArray::number(i);
            store.addText(t.constData(), int(t.size()));
            store.addNull();
        }
        store.setValues(1, {QStringLiteral("one, longer now"), QStringLiteral("x")});
        store.insertRow(0, 9, {QVariant(), QStringLiteral("new")});
        store.removeRow(3); // the row keyed 2
        store.reorder({2, 0, 1});
        QCOMPARE(store.size(), 3);
        const QList<qint64> keys{store.key(0), store.key(1), store.key(2)};
        QCOMPARE(keys, (QList<qint64>{1, 9, 0}));
        QCOMPARE(store.values(0), (QVector<QVariant>{QStringLiteral("one, longer now"), QStringLiteral("x")}));
        QCOMPARE(store.values(1), (QVector<QVariant>{QVariant(), QStringLiteral("new")}));
        QCOMPARE(store.text(2, 0), QStringLiteral("0"));
        QVERIFY(store.isNull(2, 1));
    }
};

QTEST_APPLESS_MAIN(TestRowStore)
#include "tst_rowstore.moc"
