/* The Huffman encoder, exported by tolutil.
 *
 * A tree gathers statistics (HuffAddStat), builds its codes and writes its
 * own description into its output file (HuffStartEncode), then writes codes
 * (HuffEncode). Everything goes out as a least-significant-bit-first bit
 * stream through TOLFilePutBits.
 *
 * A byte tree codes the values 0 to 255. A 16-bit tree codes 0 to 65535 and
 * carries two byte trees that code the low and the high byte of the values
 * in its description; it also has three escape values that stand for a
 * repeat of one of the three most recently coded values.
 *
 * Description of a tree, as HuffStartEncode writes it:
 *   present bit (0: no statistics, nothing follows)
 *   16-bit tree only: the low byte tree's description, the high byte
 *     tree's description, the three escape values (16 bits each)
 *   the root node, then one bit 0 (end)
 * A node is bit 1 followed by its zero child's node and its one child's
 * node, or bit 0 followed by a leaf value: 8 bits in a byte tree; in a
 * 16-bit tree the low byte's code from the low byte tree, then the high
 * byte's code from the high byte tree. A code's first bit chooses the child
 * at the root (0: zero child). A tree of one value has a code of length 0.
 *
 * Adaptations and choices:
 * - Values are taken modulo 256 by a byte tree and modulo 65536 by a
 *   16-bit tree.
 * - HuffEncode writes nothing and returns 0 for a value that has no code
 *   (one that had no statistics when the tree was built).
 * - HuffStartEncode returns -1, besides the too-deep case, when a 16-bit
 *   tree finds no free value for an escape (all 65536 values used), since
 *   an escape equal to a real value could not be told apart from it.
 * - Tree building keeps its work arrays per call, so trees may be built on
 *   several threads at once (one tree by one thread at a time). */
#ifndef TOL_HUFFMAN_H
#define TOL_HUFFMAN_H

#include "tol/api.h"
#include "tol/huffman_record.h"


/* byteTree non-zero: a byte tree; zero: a 16-bit tree with its byte trees.
 * Null when memory runs out. */
TOLAPI(HuffTree*) HuffOpen(int32_t byteTree);
/* Sets the output of the tree and of its byte trees. */
TOLAPI(void) HuffSetOutput(HuffTree* tree, TOLFile* file);
/* Frees the tree and its byte trees; nothing for null. */
TOLAPI(void) HuffClose(HuffTree* tree);
/* Clears counts, last values, escape counts and the has-statistics flag. */
TOLAPI(void) HuffInitStats(HuffTree* tree);
/* Clears the three last values only. */
TOLAPI(void) HuffInitLasts(HuffTree* tree);
/* Counts one occurrence of value. In a 16-bit tree a value equal to one of
 * the last values counts a use of that escape instead (and at least 1 for
 * the value itself); the last values then move as when coding. */
TOLAPI(void) HuffAddStat(HuffTree* tree, uint32_t value);
/* Builds the codes from the counts and writes the description. Returns a
 * size figure (12 for an empty tree, 20 for a tree of one value), or -1 on
 * failure (code longer than 30 bits, no free escape value). */
TOLAPI(int32_t) HuffStartEncode(HuffTree* tree);
/* Writes the code of value (in a 16-bit tree an escape code when that is
 * shorter and the value is one of the last three); returns what
 * TOLFilePutBits returns. */
TOLAPI(uint32_t) HuffEncode(HuffTree* tree, uint32_t value);

#endif
