#pragma once

#include <QWidget>

class QPushButton;

// The small panel from which a mail merge is prepared and run. It keeps no
// state of its own: the letter lives in the editor, the recipients in the main
// query and the address font in the merged letter report. Each button asks
// for its step by signal.
class TfmMailMergeSetup : public QWidget
{
    Q_OBJECT
public:
    explicit TfmMailMergeSetup(QWidget *parent = nullptr);

signals:
    // "&Document": the letter, in the editor.
    void documentRequested();
    // "&Select Names": the search that chooses the recipients.
    void recipientsRequested();
    // "&Merge": the preview of the merged letters.
    void mergeRequested();
    // "Match Font": the editor's dialog font for the address block.
    void matchFontRequested();
    // "&Help": the note on how a mail merge goes.
    void helpRequested();

private:
    QPushButton *m_documentButton, *m_selectNamesButton, *m_mergeButton;
    QPushButton *m_matchFontButton, *m_helpButton, *m_closeButton;
};
