// The six 16 × 16 images of the tool bar and the menu, drawn in code.
#pragma once

#include <QIcon>
#include <QList>

enum TImageIndex {
    imgInsertCover = 0,
    imgInsertBack = 1,
    imgPrint = 2,
    imgNew = 3,
    imgOpen = 4,
    imgSave = 5,
};

// The image list in index order.
QList<QIcon> CreateImageList();

// The program's window icon.
QIcon ApplicationIcon();
