#include "Recordset.h"

#include "RecordsetState.h"

namespace dao {

Recordset::Recordset(std::unique_ptr<detail::RecordsetState> state) : d(std::move(state)) {}

Recordset::~Recordset() = default;

QVariant Recordset::FieldRef::Value() const
{
    return m_rs->d->value(m_index);
}

void Recordset::FieldRef::setValue(const QVariant &v)
{
    m_rs->d->setValue(m_index, v);
}

QString Recordset::FieldRef::Name() const
{
    m_rs->d->checkField(m_index);
    return m_rs->d->fields[m_index].Name;
}

int Recordset::FieldRef::Type() const
{
    m_rs->d->checkField(m_index);
    return m_rs->d->fields[m_index].Type;
}

QString Recordset::Name() const
{
    d->ensureOpen();
    return d->table;
}

int Recordset::FieldCount() const
{
    d->ensureOpen();
    return int(d->fields.size());
}

Recordset::FieldRef Recordset::Fields(int index)
{
    d->checkField(index);
    return FieldRef(this, index);
}

void Recordset::MoveFirst()
{
    d->moveFirst();
}

void Recordset::MoveNext()
{
    d->moveNext();
}

bool Recordset::IsEOF() const
{
    d->ensureOpen();
    return d->isEof();
}

long Recordset::RecordCount() const
{
    return d->recordCount();
}

qint64 Recordset::Bookmark() const
{
    return d->bookmark();
}

void Recordset::SetBookmark(qint64 bookmark)
{
    d->setBookmark(bookmark);
}

qint64 Recordset::LastModified() const
{
    return d->lastModified();
}

void Recordset::AddNew()
{
    d->addNew();
}

void Recordset::Edit()
{
    d->edit();
}

void Recordset::Update()
{
    d->update();
}

void Recordset::CancelUpdate()
{
    d->cancelUpdate();
}

void Recordset::Delete()
{
    d->deleteCurrent();
}

void Recordset::Close()
{
    d->close();
}

} // namespace dao
