/*===- qta_rep.h - Plain C interface of the repository library ------------===*
 *
 * The functions through which the runtime reads and writes the connected
 * repository. Ids are 32-bit; 0 is the bad id of every kind. Functions that
 * report success return non-zero for success. Returned texts stay valid until
 * the next change of the same value; copy them at once. Lists are owned by
 * the caller and released with _FreeIdList.
 *
 *===----------------------------------------------------------------------===*/
#ifndef ZEVA_REPOSITORY_QTA_REP_H
#define ZEVA_REPOSITORY_QTA_REP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct IdList {
  int32_t count;
  int32_t *items;
} IdList;

void _FreeIdList(IdList *list);

/* Transactions. The arguments of the start call are unused. */
int _StartSaveTransaction1(int32_t mode, int32_t flags, const char *comment);
int _CommitSaveTransaction(void);

/* Metamodel. */
int32_t _GetObjectTypeIdByName(const char *className);
/* Name of a class or link type; "" when the id is neither. */
const char *_GetTypeName(int32_t typeId);
IdList *_GetObjectTypeIdList(void);
IdList *_GetExtensionIdList(int32_t classId);
int32_t _GetPropertyTypeIdByName(int32_t classId, const char *attrName);
int32_t _GetLinkTypeIdByName(int32_t classId, const char *role);
IdList *_GetLinkTypeIdList(int32_t classId);
int32_t _GetInverseLinkTypeId(int32_t linkTypeId);

/* Base-type codes of _GetPropertyTypeAttributes. */
enum { kRepString = 1, kRepInteger = 2, kRepBoolean = 3, kRepEnumeration = 7 };
/* Writes the attribute's base-type code and, for an enumeration, its name
 * (enumName may be null; otherwise it points to a text owned by the
 * library). Returns 0 for a bad attribute id. */
int _GetPropertyTypeAttributes(int32_t attrId, int32_t *baseType,
                               const char **enumName);

/* Objects. The extent of a class lists its own objects first, then those of
 * each direct subclass in order, recursively. */
int32_t _GetObjectNum(int32_t classId);
int32_t _GetObjectIdByIndex(int32_t classId, int32_t index);
int32_t _GetObjectTypeId(int32_t objectId);
int _ObjectExists(int32_t objectId);
int32_t _CreateObject(int32_t classId);
/* Non-zero when no id is left for a new object, so _CreateObject fails. */
int _ObjectIdsUsedUp(void);
int _DeleteObjectHard(int32_t objectId);

/* Links, named by the link type of the end seen from the first object.
 * Linking into a single-valued end replaces the old link; linking a linked
 * pair leaves one link; deleting an absent link succeeds. */
int32_t _GetLinkedObjectNum(int32_t objectId, int32_t linkTypeId);
int32_t _GetLinkedObjectIdByIndex(int32_t objectId, int32_t linkTypeId,
                                  int32_t index);
/* The partners of an object at one end in linking order, as stored: entries
 * of 0 are holes left by removed links. Sets *items to the first entry and
 * returns the number of entries, holes included (0 for a bad object or link
 * type). The entries stay valid until the object's links change. */
int32_t _GetLinkedObjectEntries(int32_t objectId, int32_t linkTypeId,
                                const int32_t **items);
int _AlreadyConnected(int32_t linkTypeId, int32_t from, int32_t to);
int _CreateLink(int32_t linkTypeId, int32_t from, int32_t to);
/* As _CreateLink, but tells the two successes apart: 1 when it linked the
 * pair, 2 when they were linked already (nothing changed); 0 on failure. */
int _CreateLinkReporting(int32_t linkTypeId, int32_t from, int32_t to);
int _DeleteLink(int32_t linkTypeId, int32_t from, int32_t to);

/* A process-wide count of link and object removals and of connections:
 * while it stays the same, every object and link that existed still does. */
uint64_t _GetRemovalCount(void);
/* The same for object removals and connections alone. */
uint64_t _GetObjectRemovalCount(void);
/* The same for objects and the links of one association (named by either
 * link type): while it stays the same, every object and every link of that
 * association that existed still does. */
uint64_t _GetLinkRemovalCount(int32_t linkTypeId);
/* Where the three counts above are kept, for callers that read them at
 * almost every step: the counters stay at these addresses for the life of
 * the process. The link removal count of a link type is
 * *objects + links[linkTypeId % linkCounters]. */
typedef struct {
  const uint64_t *all, *objects, *links;
  int32_t linkCounters;
} RemovalCounters;
RemovalCounters _GetRemovalCounters(void);

/* Attribute values. */
int _CheckPropertyValue(int32_t attrId, const char *value);
int _AddProperty(int32_t objectId, int32_t attrId, const char *value);
const char *_GetPropertyValue(int32_t objectId, int32_t attrId);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
