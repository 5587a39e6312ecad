#include "StudentReport.h"

#include <MessageBox.h>
#include <Printer.h>

using platform::PrintItem;

namespace reports {

namespace {

const PrintItem EndOfLine = PrintItem::EndOfLine();
const PrintItem NextZone = PrintItem::NextZone();
// Every labelled line starts its label at this column.
const PrintItem LabelIndent = PrintItem::Column(7);

void printEmptyLines(int count)
{
    for (int i = 0; i < count; ++i)
        platform::Print({EndOfLine});
}

void showEntryError(const QString &prompt)
{
    platform::MsgBox(prompt, 0, QStringLiteral("Error"));
}

} // namespace

QString authorName()
{
    return QStringLiteral("Margaret Ellis");
}

void PrintStudent(const StudentFields &f)
{
    if (f.txtName.Text().isEmpty()) {
        showEntryError(QStringLiteral("Please Enter Your Name"));
        f.txtName.SetFocus();
        return;
    }
    if (f.txtUnits.Text().isEmpty()) {
        showEntryError(QStringLiteral("Enter Number of Units"));
        f.txtUnits.SetFocus();
        return;
    }
    if (f.lstMajor.ListIndex() == -1) {
        showEntryError(QStringLiteral("Please Enter Your Major"));
        f.lstMajor.SetFocus();
        return;
    }
    if (f.cboSchool.Text().isEmpty()) {
        showEntryError(QStringLiteral("Please Enter Your School"));
        f.cboSchool.SetFocus();
        return;
    }
    const bool freshman = f.optLevel[0].Value();
    const bool sophomore = f.optLevel[1].Value();
    const bool junior = f.optLevel[2].Value();
    const bool senior = f.optLevel[3].Value();
    if (!freshman && !sophomore && !junior && !senior) {
        showEntryError(QStringLiteral("Grade Level Not Selected"));
        return;
    }

    printEmptyLines(3);
    platform::Print(
        {NextZone, NextZone, PrintItem::Text(QStringLiteral("Student Information")), EndOfLine});
    printEmptyLines(3);
    platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("Student Name:")), NextZone,
                     PrintItem::Text(f.txtName.Text()), EndOfLine});
    printEmptyLines(1);
    platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("Units Completed:")), NextZone,
                     PrintItem::Text(f.txtUnits.Text()), EndOfLine});
    printEmptyLines(1);
    platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("Major:")), NextZone, NextZone,
                     PrintItem::Text(f.lstMajor.List(f.lstMajor.ListIndex())), EndOfLine});
    printEmptyLines(1);

    // A typed school joins the list (at its sorted place) and becomes the selected entry.
    if (f.cboSchool.ListIndex() == -1) {
        f.cboSchool.AddItem(f.cboSchool.Text());
        f.cboSchool.setListIndex(f.cboSchool.NewIndex());
    }
    platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("School:")), NextZone,
                     PrintItem::Text(f.cboSchool.List(f.cboSchool.ListIndex())), EndOfLine});
    printEmptyLines(1);

    QString grade;
    if (f.optLevel[0].Value())
        grade = QStringLiteral("Freshman");
    else if (f.optLevel[1].Value())
        grade = QStringLiteral("Sophomore");
    else if (f.optLevel[2].Value())
        grade = QStringLiteral("Junior");
    else
        grade = QStringLiteral("Senior");
    platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("Grade Level:")), NextZone,
                     PrintItem::Text(grade), EndOfLine});
    printEmptyLines(1);

    if (f.chkDeans.Value() == 0) {
        platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("Deans List:")), NextZone,
                         PrintItem::Text(QStringLiteral("No")), EndOfLine});
    } else if (f.chkDeans.Value() == 1) {
        platform::Print({LabelIndent, PrintItem::Text(QStringLiteral("Deans List:")), NextZone,
                         PrintItem::Text(QStringLiteral("Yes")), EndOfLine});
    }
    platform::EndDoc();
}

void PrintSchools(platform::ComboBox &cboSchool)
{
    printEmptyLines(3);
    platform::Print({NextZone, NextZone, PrintItem::Text(authorName()), EndOfLine});
    printEmptyLines(3);
    platform::Print({NextZone, PrintItem::Text(QStringLiteral("School List:")), EndOfLine});
    printEmptyLines(1);
    const int count = cboSchool.ListCount();
    for (int position = 0; position < count; ++position) {
        platform::Print({NextZone, NextZone, PrintItem::Text(cboSchool.List(position)), EndOfLine});
        printEmptyLines(1);
    }
    platform::EndDoc();
}

} // namespace reports
