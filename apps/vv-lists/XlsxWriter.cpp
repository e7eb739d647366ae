#include "XlsxWriter.h"

#include "DeviceWriter.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

// The characters a spreadsheet's cell holds.
constexpr int kLongestCell = 32767;

bool isHex(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// libxlsxwriter writes control characters as _xHHHH_, the workbook's escape,
// but text that already reads like one as it is; its underscore is escaped
// (_x005F_) so a reader turns it back into the same text.
QByteArray cellText(const QString& text) {
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && isHex(text.at(i + 2)) &&
            isHex(text.at(i + 3)) && isHex(text.at(i + 4)) && isHex(text.at(i + 5)) && text.at(i + 6) == u'_')
            escaped += u"_x005F"_s;
        escaped += text.at(i);
    }
    return escaped.toUtf8();
}

AutomationError writeError(const QString& what) {
    return AutomationError(ErrorCode::HostError, u"Writing the workbook failed: %1"_s.arg(what));
}

class XlsxSink final : public RecordSink {
public:
    explicit XlsxSink(QIODevice& out) : m_out(out) {
        if (!m_folder.isValid())
            throw writeError(u"no temporary folder: %1"_s.arg(m_folder.errorString()));
        m_path = QFile::encodeName(m_folder.filePath(u"lists.xlsx"_s));
        m_tmp = QFile::encodeName(m_folder.path());
        // Rows go to the temporary folder as they come, so a long list costs no memory.
        lxw_workbook_options options{LXW_TRUE, m_tmp.data(), LXW_FALSE};
        m_book = workbook_new_opt(m_path.constData(), &options);
        if (!m_book)
            throw writeError(u"libxlsxwriter cannot make a workbook in %1"_s.arg(m_folder.path()));
        m_text = workbook_add_format(m_book);
        format_set_num_format(m_text, "@");
        m_header = workbook_add_format(m_book);
        format_set_num_format(m_header, "@");
        format_set_bold(m_header);
    }
    ~XlsxSink() override {
        if (m_book)
            lxw_workbook_free(m_book);
    }
    Q_DISABLE_COPY_MOVE(XlsxSink)

    void beginTable(const QString& name) override {
        m_sheet = workbook_add_worksheet(m_book, name.toUtf8().constData());
        if (!m_sheet)
            throw writeError(u"libxlsxwriter cannot add a sheet %1"_s.arg(name));
        m_name = name;
        m_row = 0;
    }

    void write(const QStringList& fields) override {
        if (m_row == 0)
            layOut(fields);
        if (m_row >= LXW_ROW_MAX)
            throw writeError(u"%1 has more rows than a sheet holds (%2); export fewer lists at a time, or as "
                             u"CSV"_s.arg(m_name)
                                 .arg(LXW_ROW_MAX));
        for (qsizetype c = 0; c < fields.size(); ++c) {
            if (fields.at(c).isEmpty())
                continue; // the column's text format covers the empty cell
            const lxw_error error =
                worksheet_write_string(m_sheet, m_row, lxw_col_t(c), cellText(fields.at(c)).constData(),
                                       m_row == 0 ? m_header : m_text);
            if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
                throw writeError(
                    u"sheet %1, row %2 holds a field of %3 characters, and a cell holds %4 at most; "
                    u"export it as CSV"_s.arg(m_name)
                        .arg(m_row + 1)
                        .arg(fields.at(c).size())
                        .arg(kLongestCell));
            if (error != LXW_NO_ERROR)
                throw writeError(QString::fromUtf8(lxw_strerror(error)));
        }
        ++m_row;
    }

    void finish() override {
        errno = 0;
        const lxw_error error = workbook_close(std::exchange(m_book, nullptr));
        if (error != LXW_NO_ERROR)
            throw writeError(errno == ENOSPC
                                 ? u"the disk of the temporary folder %1 is full"_s.arg(m_folder.path())
                                 : QString::fromUtf8(lxw_strerror(error)));
        QFile file(QFile::decodeName(m_path));
        if (!file.open(QIODevice::ReadOnly))
            throw writeError(file.errorString());
        DeviceWriter writer(m_out);
        QByteArray piece(64 * 1024, Qt::Uninitialized);
        qint64 got = 0;
        while ((got = file.read(piece.data(), piece.size())) > 0)
            writer.write(QByteArrayView(piece).first(got));
        if (got < 0)
            throw writeError(file.errorString());
        writer.finish();
    }

private:
    // Every column text, wide enough for its name; a description gets room.
    void layOut(const QStringList& names) {
        for (qsizetype c = 0; c < names.size(); ++c) {
            const bool wide = names.at(c).compare(usrdef::kDescription, Qt::CaseInsensitive) == 0;
            worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                                 wide ? 60 : qMax(10.0, names.at(c).size() * 1.1 + 2), m_text);
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
    }

    QIODevice& m_out;
    QTemporaryDir m_folder;
    QByteArray m_path, m_tmp;
    lxw_workbook* m_book = nullptr;
    lxw_format* m_text = nullptr;
    lxw_format* m_header = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    QString m_name;
    lxw_row_t m_row = 0;
};

} // namespace

std::unique_ptr<RecordSink> xlsxSink(QIODevice& out) {
    return std::make_unique<XlsxSink>(out);
}

} // namespace viVavazuruv::lists
