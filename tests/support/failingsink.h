#pragma once

#include "store/setwriter.h"
#include "store/storeerror.h"
#include "testenv.h"

#include <QDir>
#include <QFileDevice>
#include <QMap>
#include <unistd.h>

// Fails the n-th call of one file operation, the way a disk does, or (Any) the n-th file
// operation of any kind, removes and folder syncs included; one that `dies` ends the process
// there instead, the way a kill does. With a scope, only calls on files inside that folder
// count, so that other writes of the same command (a save before the queue, a journal) do not
// shift which call fails.
class FailingSink : public FileSink {
public:
    enum class Op { Create, Keep, Replace, FullDisk, Any };
    FailingSink(Op op, int n, QString scope = {}, bool dies = false)
        : m_op(op)
        , m_n(n)
        , m_scope(std::move(scope))
        , m_dies(dies) {}

    void create(const QString &path, const QByteArray &bytes, const QString &target) override {
        hit(Op::Create, path);
        FileSink::create(path, bytes, target);
    }
    void fill(QFileDevice &file, const QByteArray &bytes) override {
        if (m_op == Op::FullDisk && inScope(file.fileName()) && ++m_calls >= m_n) {
            file.write(bytes.left(bytes.size() / 2)); // part of it lands, then the disk is full
            file.flush();
            throw StoreError(QStringLiteral("No space left on device"));
        }
        hit(Op::Any, file.fileName()); // the file exists, still empty
        FileSink::fill(file, bytes);
    }
    void keep(const QString &path, const QString &backup) override {
        hit(Op::Keep, path);
        FileSink::keep(path, backup);
    }
    void replace(const QString &from, const QString &to) override {
        hit(Op::Replace, to);
        FileSink::replace(from, to);
    }
    bool remove(const QString &path) override {
        hit(Op::Any, path);
        return FileSink::remove(path);
    }
    void syncFolder(const QString &folder) override {
        hit(Op::Any, folder + u'/');
        FileSink::syncFolder(folder);
    }

private:
    bool inScope(const QString &path) const {
        return m_scope.isEmpty() || path.startsWith(m_scope + u'/');
    }
    void hit(Op op, const QString &path) {
        if ((op == m_op || m_op == Op::Any) && inScope(path) && ++m_calls == m_n) {
            if (m_dies)
                ::_exit(7);
            throw StoreError(QStringLiteral("simulated failure"));
        }
    }
    Op m_op;
    int m_n;
    QString m_scope;
    bool m_dies;
    int m_calls = 0;
};

// Every file of a folder, hidden ones included, with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString &folder) {
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readAll(folder + u'/' + name));
    return files;
}
