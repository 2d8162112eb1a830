// The printed disc sheet: the disc label on plain paper, centred on the upright sheet with
// cutting circles when wanted, or on the chosen labels of a label sheet, each centred in
// its label's square, at the sheet's diameters, with a little overprint. The print command and
// vellacour-export disc print it through the same function.
#pragma once

#include <QPointF>
#include <vector>

#include "sheet/Calibration.h"
#include "sheet/DiscLabel.h"
#include "sheet/LabelSheet.h"

class TPicture;
class TXPrint;
struct TDeviceCaps;

// What goes on the disc sheet.
struct TDiscSheetContent {
    TDiscLabel Label;
    // The label's picture; none when null or empty.
    const TPicture* Picture = nullptr;
    bool CuttingCircles = false;
    // The label sheet printed on, null for plain paper, and the indices of its labels to
    // print (0 for position 1).
    const TLabelSheet* Sheet = nullptr;
    std::vector<size_t> Labels;
    // How far the picture reaches beyond the ring on a label sheet (0 to MaxOverprint);
    // plain paper has none.
    int Overprint = DiscLimits::DefaultSheetOverprint;
};

// The centres of the labels printed, in tenths of a millimetre from the upright sheet's
// top-left corner: the chosen labels' squares' centres, or the centre of the paper
// (width × height upright) for plain paper.
std::vector<QPointF> DiscCentres(const TDiscSheetContent& content, int paperWidth, int paperHeight);

// The label as printed: on a label sheet at the sheet's diameters, which are the size its
// labels were punched.
TDiscLabel PrintedDiscLabel(const TDiscSheetContent& content);

// A printer's stored calibration as the upright disc sheet on the device's paper needs it.
TCalibration DiscSheetCalibration(const TCalibration& stored, const TDeviceCaps& caps);

// Prints the disc sheet as one job of print, upright whatever the printer dialog held, in
// the settings ConfigureSheetPrint gives. A failure after the job has begun abandons the job
// before it is passed on, so nothing half-drawn is printed.
void PrintDiscSheet(TXPrint& print, const TDiscSheetContent& content);
