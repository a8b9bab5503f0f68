/* A program outside the tree: uses both installed libraries through their
 * public headers only. */
#include <stdio.h>
#include <string.h>

#include <tol/tolfile.h>
#include <tol/tolutil.h>
#include <tol/tolalloc.h>

int main(int argc, char** argv) {
  char text[64] = "in.avi /D250000 out.zrn";
  if (argc < 2) return 2;
  if (GetSwitchNum(text, 'D', 0) != 250000 || strcmp(text, "in.avi  out.zrn") != 0) return 3;

  TOLFile* f = TOLFileCreate(1024, argv[1]);
  if (!f) return 4;
  TOLFilePutBits(f, 5, 3);
  TOLFileClose(f);
  f = TOLFileOpen(0, argv[1], TOLFILE_READ_ONLY);
  if (!f || TOLFileSize(f) != 1 || TOLFileGet8(f) != 5) return 5;
  TOLFileClose(f);

  /* Linked first, tolutil's allocator serves the program: 16-byte aligned. */
  void* p = tolmalloc(100);
  if (!p || ((size_t)p & 15) != 0) return 6;
  tolfree(p);
  puts("ok");
  return 0;
}
