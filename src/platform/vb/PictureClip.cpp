#include "PictureClip.h"

namespace vb {

PictureClip::PictureClip(const QImage &picture, int rows, int cols)
    : m_picture(picture), m_rows(qMax(1, rows)), m_cols(qMax(1, cols))
{
    cut();
}

void PictureClip::setPicture(const QImage &picture)
{
    m_picture = picture;
    cut();
}

void PictureClip::setRows(int rows)
{
    m_rows = qMax(1, rows);
    cut();
}

void PictureClip::setCols(int cols)
{
    m_cols = qMax(1, cols);
    cut();
}

int PictureClip::CellWidth() const
{
    return m_picture.width() / m_cols;
}

int PictureClip::CellHeight() const
{
    return m_picture.height() / m_rows;
}

QImage PictureClip::GraphicCell(int index) const
{
    if (index < 0 || index >= m_cells.size())
        return QImage();
    return m_cells.at(index);
}

// The cells are cut once when the picture or the grid changes; handing one out is then only
// a shared copy. A picture that does not divide evenly loses its last columns or rows.
void PictureClip::cut()
{
    m_cells.clear();
    const int w = CellWidth();
    const int h = CellHeight();
    if (m_picture.isNull() || w <= 0 || h <= 0)
        return;
    m_cells.reserve(m_rows * m_cols);
    for (int row = 0; row < m_rows; ++row)
        for (int col = 0; col < m_cols; ++col)
            m_cells.append(m_picture.copy(col * w, row * h, w, h));
}

} // namespace vb
