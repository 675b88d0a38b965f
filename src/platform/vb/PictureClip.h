#pragma once

#include <QImage>
#include <QList>

namespace vb {

// Cuts a picture into equal cells, Rows x Cols of them, and hands back one cell by its index
// (row by row from the top left, starting at 0). Button faces are kept as one strip of looks
// and fetched a cell at a time.
class PictureClip
{
public:
    PictureClip() = default;
    PictureClip(const QImage &picture, int rows, int cols);

    void setPicture(const QImage &picture);
    QImage Picture() const { return m_picture; }
    void setRows(int rows);
    void setCols(int cols);
    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }

    int CellWidth() const;
    int CellHeight() const;
    int cellCount() const { return int(m_cells.size()); }

    // The cell with the given index; a null image for an index outside 0 .. cellCount() - 1
    // or when there is no picture.
    QImage GraphicCell(int index) const;

private:
    void cut();

    QImage m_picture;
    int m_rows = 1;
    int m_cols = 1;
    QList<QImage> m_cells;
};

} // namespace vb
