// Device-graphics services that the driver and the statement pass call.
#pragma once

struct kes_layout;

// Frees the task's pending graphics records; safe when nothing is pending.
void gpspnot();
// Prepares the output destinations of device graphs for a layout whose head holds the
// manager and root objects: 0; 1012 after message 580/18 when no destination list
// can be had; 1016 after xmemmsg.
int zqidest(kes_layout* layout);
// Releases the destination list of zqidest and deletes its pool; safe to call twice.
void zqdfree(kes_layout* layout);
// Starts the device named in the graphics options record: 0 ready; 1 a device image
// could not be installed (after message 129/53); -1 the device could not be started.
int ggsload(void* options, int mode, int flag);
