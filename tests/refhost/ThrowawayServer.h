#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace viVavazuruv::test {

// scripts/pg-server for a server of the test's own, so stopping, restarting
// or failing it over never disturbs the tests beside it on the shared one.
struct ThrowawayServer {
    // What the script printed (its exports); fails the test and gives "" when it failed.
    static QString script(const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral(VIVAVAZURUV_PG_SERVER_SCRIPT), arguments);
        const bool done = p.waitForFinished(180000) && p.exitCode() == 0;
        EXPECT_TRUE(done) << arguments.join(u' ').toStdString() << ": "
                          << p.readAllStandardError().toStdString();
        return done ? QString::fromLocal8Bit(p.readAllStandardOutput()) : QString();
    }
    static QString exported(const QString& exports, const QString& name) {
        return QRegularExpression(name + QStringLiteral("='([^']*)'")).match(exports).captured(1);
    }
    // The script's exit status, its output left to show.
    static int run(const QStringList& arguments) {
        return QProcess::execute(QStringLiteral(VIVAVAZURUV_PG_SERVER_SCRIPT), arguments);
    }
    static void stop(const QString& dir) {
        if (!dir.isEmpty())
            run({QStringLiteral("stop"), dir});
    }
};

} // namespace viVavazuruv::test
