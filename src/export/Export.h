// The command-line companion: the picture layer and page composition without a window,
// for scripts and batch work.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Runs one command line (without the program name); a listing asked for goes to out,
// messages go to err. Returns the exit status: 0 done, 1 failed (nothing written), 2 wrong
// usage, 3 written but with parts that failed ("collection").
int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "--help" and "--version", each as the only argument: writes the usage or the version
// to out and returns status 0. Anything else is left to RunExport.
std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args, std::ostream& out);

// "picture FILE -o OUT.png [--size WxH]": draws FILE stretched into a white image of
// W × H pixels (default: the picture's own size) and writes it as PNG.
int ExportPicture(const std::vector<std::string>& args, std::ostream& err);

// "sheet LAYOUT.vco -o OUT.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]": prints the
// layout's cover sheet into a PDF file (A4 landscape at 600 dpi unless told otherwise),
// exactly as the print command prints it.
int ExportSheet(const std::vector<std::string>& args, std::ostream& err);

// "disc LAYOUT.vco -o OUT.pdf [--sheet NAME] [--positions 1,2] [--paper A4|Letter] [--frames]
// [--overprint MM] [--dpi N]": prints the layout's disc label into a PDF file, exactly as
// the print command prints it: centred on plain paper (A4 unless told otherwise; --frames
// adds the cutting circles), or on the chosen labels of a label sheet (all when no
// positions are given) on the sheet's paper, with the layout's overprint unless told
// otherwise. "disc --sheets" lists the label sheets on out, one a line: the name, a blank
// and the description.
int ExportDisc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "album FOLDER -o OUT.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]": prints the cover
// sheet the album folder gives (its tracks, title and artist, its cover art) exactly as the
// window prints it after reading the folder.
int ExportAlbum(const std::vector<std::string>& args, std::ostream& err);

// "collection ROOT -o OUT.pdf [sheet options]": one page a album folder found under ROOT,
// in the order of their paths, into one PDF written as it is drawn. Progress goes to err (a
// bar when err is a terminal's, progressBar), and the folders that failed are named at the
// end with their reasons. Returns 0 when every album printed, 3 when the PDF was written
// but some folders failed, 1 (OUT untouched) when none printed or the run broke off.
int ExportCollection(const std::vector<std::string>& args, std::ostream& err, bool progressBar);
