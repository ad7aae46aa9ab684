// Device start-up, output destinations and graphics segments: what the driver, the
// statement pass and the chart driver call.
#pragma once

struct kes_ctx;
struct kes_layout;
struct gdevopts;
struct gdeventry;
struct host_dest;
struct host_gsegid;

// Frees the task's pending graphics records; safe when nothing is pending.
void gpspnot();
// Prepares the output destinations of device graphs for a layout whose head holds the
// manager and root objects: 0; 1012 after message KES_MSG_NO_OUTPUT_DESTINATION_OPEN when there is no open
// destination or a destination call failed (after its message); 1016 after xmemmsg.
int zqidest(kes_layout* layout);
// Releases the destination list of zqidest and deletes its pool; safe to call twice.
// 0, or the failing result of the release.
int zqdfree(kes_layout* layout);
// Starts the device named in the graphics options record: 0 ready; 1 a device image
// could not be installed (after message KES_MSG_GRAPHICS_IMAGE_NOT_AVAILABLE); -1 the device could not be started.
int ggsload(gdevopts* options, int mode, int flag);
// The registry entry of the device named by 8 characters, or null.
const gdeventry* ggdvget(const char* name8);
// Copies a destination's device name, sizes, description and option words into the
// options record.
void kes_dest_options(gdevopts* options, const host_dest* dest);

// Narrows a page area (left, bottom, right, top) by the character cell width h and
// height v: a gap at the left, right and bottom edges of the graphics area; the top
// moves down only when titles are not already above it.
void kes_page_gaps(double* area, double h, double v);

// What kesgini returns for a destination that is skipped.
constexpr int KES_DEST_SKIPPED = 20001;
// Starts the device for the current destination of the current request's layout:
// 0; KES_DEST_SKIPPED; 1012 the device could not be started or its catalog entry was
// refused (after a message).
int kesgini(kes_ctx* ctx);
// Opens the segment of one page of the current request: its name (NAME=, else the
// default), description (DESCRIPTION=, else by plot type) and label; the host fills
// the segment handle. 0, or nonzero when no segment could be opened.
int kessgmt(kes_ctx* ctx, host_gsegid* segment);
// The number of the current request within its kind, from 1.
int kes_request_ordinal(const kes_ctx* ctx);
// Puts the page just closed on the current destination's list of graphs: 0, or
// 1012 after a message when the list refused it.
int zqsgmt(kes_layout* layout);
// Hands every destination with its graphs to the output manager: 0, or 1012 after a
// message when the manager refused them.
int zqpdest(kes_layout* layout);

// One device page of the current request's layout: kes_open_page opens its segment
// and draws the titles and BY line (0, or 1012); kes_close_page closes it, names its
// file in the listing and the log and hands it on to the destinations (0, or the
// hand-on's failure); a segment that cannot be closed is noted and not handed on.
// kes_device_page does both, for a page with nothing else on it.
int kes_open_page(kes_ctx* ctx, kes_layout* layout);
int kes_close_page(kes_ctx* ctx, kes_layout* layout);
int kes_device_page(kes_ctx* ctx, kes_layout* layout);
