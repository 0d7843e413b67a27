#pragma once

#include <QWidget>

class AdoQuery;
class DataSource;
class QTabWidget;

// The record form view: every stored field of the current record on a
// compact form with two pages, and a navigator of its own.
class TfmHomeForm : public QWidget
{
    Q_OBJECT
public:
    // `frameStandIn` is a window on the same desktop whose frame stands in
    // for this one's until this one has been framed; it may be null.
    explicit TfmHomeForm(AdoQuery *query, const QWidget *frameStandIn = nullptr,
                         QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    QSize frameExtra() const;
    // The window's place and size, kept in the settings file.
    void restorePlace();
    void savePlace();

    const QWidget *m_frameStandIn;
    DataSource *m_source;
    QTabWidget *m_pages;
};
