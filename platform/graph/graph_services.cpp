// Device graphics of the stand-in: the services of vectors 116, 117 and 120 that are
// not written yet refuse (nonzero) or answer nothing.
#include "core/host_vectors.h"

extern "C" {

int plat_ggstop() { return 0; }
int plat_gginit(gdevopts*) { return 1; }
gdevopts* plat_ggznew(void*) { return nullptr; }
gdevice* plat_ggxget(void*) { return nullptr; }
void plat_ggdinit() {}
void plat_ggdvdlt(int, int) {}
void plat_ggzrst(int) {}
const gdeventry* plat_ggdvfind(const char*) { return nullptr; }
void plat_ggpfree() {}
int plat_ggadcat(int, const char*, int, const char*, void**, int, int) { return 1; }
int plat_ggoseg(int, int, void*, int*, host_gsegid*, const char*, const host_glongname*, const char*, int, int, int, const char*, int) { return 1; }
int plat_ggsel(int, int) { return 1; }
int plat_ggphdrl(int, double*, int, const char*) { return 1; }
int plat_ggphdr(int, const char*, int) { return 1; }
int plat_ggcseg(int, void**, int) { return 1; }
int plat_ggplvem(void*, void*) { return 1; }
int plat_ggdraw(int, double, double, double, double, int, int) { return 1; }
int plat_ggfill(int, double, double, double, double, const char*, int, int, int, int, int) { return 1; }
int plat_ggpline(int, const host_gpline*, int, const host_gclip*) { return 1; }
int plat_ggpmark(int, const host_gmarks*, int, const host_gclip*) { return 1; }
int plat_ggpoly(int, const host_gpoly*) { return 1; }
int plat_ggclpli(const double*, const host_gclip*, double*) { return 1; }
int plat_ggrba(int, const double*, int*, void**, int) { return 1; }
int plat_ggrdba(int, int, void*, int, int, int) { return 1; }
double plat_ggcell(int, double, int, int) { return 0.0; }
double plat_ggpct2l(int, int, double, char*) { return 0.0; }
int plat_ggcnum(int, const char*) { return 1; }
int plat_ggcnum5(int, int, char*) { return 1; }
int plat_ggetpat(int, kes_fillslot*, char) { return 1; }
int plat_ggetsym(int, int, kes_symattr*) { return 1; }
void plat_ggstxfm(host_gxfm*) {}
double plat_ggstrl(int, host_gtext*) { return 0.0; }
int plat_ggstr(int, host_gtext*) { return 1; }
int plat_gvemclr(gdevice*, const char*, int, char*) { return 1; }
int plat_gvemcclr(gdevice*, const char*, int, char*) { return 1; }
int plat_gvembclr(gdevice*, const char*, int, char*) { return 1; }
int plat_gvemlsty(gdevice*, const char*, int, int*) { return 1; }
int plat_gvemlwid(gdevice*, const char*, int, int*) { return 1; }
int plat_gvemfont(gdevice*, const char*, int, char*, double*) { return 1; }
int plat_gvemgrad(gdevice*, const char*, int, void*, int*, int*) { return 1; }
int plat_gdrwgrad(int, const void*, double, double, double, double) { return 1; }
int plat_ggbimg(int, void*, const char*, int, const double*) { return 1; }
int plat_xbyline(void*, const char**) { return 1; }
int plat_xbytitl(void*, char*, int) { return 1; }
int plat_ggcbini(void**, int) { return 1; }
void plat_ggcbex(void**, int) {}
int plat_ggzread(void*) { return 1; }
int plat_xytngl(void*, int, const char*, int, void**) { return 1; }
int plat_wiinstl(int, const char*, int) { return 1; }
host_ggcb* plat_vemggcb(int) { return nullptr; }

}  // extern "C"
