#pragma once

#include <QImage>
#include <QWidget>

class AdoQuery;
class DBEdit;
class DataSource;

// The record card: the current record of the main query on a ruled index
// card, with blue labels in the margin, the notes in the top right corner and
// a bar of six panels that step through, add, delete and cancel records.
class TfmRecCard : public QWidget
{
    Q_OBJECT
public:
    explicit TfmRecCard(AdoQuery *query, QWidget *parent = nullptr);

    // The ruled card picture: white, pale blue rules, 583 x 413 pixels.
    static QImage ruledCard();
    // Where the card face's rule for line n (1 to 14) lies, in card-face pixels.
    static double ruleY(int line);

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    DBEdit *addField(int field, int line, bool rightColumn, const QString &label, const char *name);
    // The card's place on screen, kept in the settings file.
    void restorePlace();
    void savePlace();
    // The bar's panels.
    void back();
    void next();
    void newRecord();
    void deleteRecord();
    void cancelChanges();
    void closeCard();
    // A double click on the e-mail address.
    void startMessage();

    DataSource *m_source;
    QWidget *m_face;
    DBEdit *m_firstNameEdit;
    DBEdit *m_emailEdit;
    bool m_shownBefore = false;
};
