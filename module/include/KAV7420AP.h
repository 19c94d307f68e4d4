/*
 * KAV-7420AP.plx: the exports of the KAV-7420 management module and the
 * records it hands to its host.
 *
 * The host loads the module, calls PlugSetSnmpParameter before anything
 * that talks to a device, and calls every export on the thread that runs
 * its Qt event loop; answers of asynchronous queries and commands arrive
 * later through the host's callbacks on that thread.
 *
 * Records keep the field order of the host's 32-bit layout with
 * pointer-sized text fields (on a 32-bit build every offset is the host's).
 * The module allocates every record and text it hands to a callback and
 * frees them when the callback returns: the host copies what it keeps.
 * Fields marked "not written" hold zero.
 */
#ifndef KAV7420AP_H
#define KAV7420AP_H

#include <stdint.h>

#include "kav7420_clientinfo.h" /* ClientResult, ClientRow */

/* The host's device list, which the batch firmware upgrade reads and
   writes: the host's QTableWidget. */
#ifdef __cplusplus
class QTableWidget;
typedef QTableWidget PlugListControl;
#else
typedef struct PlugListControl PlugListControl;
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define PLUG_EXPORT __attribute__((visibility("default")))

/* PlugGetModuleCaps, 1036 bytes. */
typedef struct ModuleCaps {
  char model[256];       /* "KAV-7420" */
  char description[256]; /* "Orvane Module v3.15r05 (2011/05/18)" */
  char band[256];        /* "2.4GHz" */
  char sysObjectId[256]; /* "1.3.6.1.4.1.32473.10.37.38" */
  int32_t caps[3];       /* 3, 15, 13 */
} ModuleCaps;

/* Status of a basic-configuration or traffic query. */
typedef struct QueryStatus {
  int32_t zero;     /* 0 */
  int32_t reserved4;
  char* address;    /* basic configuration: device address; traffic: first traffic text */
  char* tag;        /* basic configuration: host tag (failure) or device name (success) */
  int32_t reserved16;
} QueryStatus;

typedef struct BasicConfig {
  int32_t band;              /* 1 for 2.4 GHz, 2 for 5 GHz */
  const char* bandText;      /* "2.4GHz" or "5GHz" */
  int32_t authentication;    /* 1 to 11 */
  const char* authenticationText; /* null for a code outside 1 to 11 */
  int32_t opMode;            /* 1 to 5 */
  const char* opModeText;    /* null for a code outside 1 to 5 */
  const char* ssid;
  const char* channel;
  const char* full;          /* "full" when the device takes no more clients, else null */
  int32_t fullFlag;
  int32_t reserved40;
} BasicConfig;

typedef struct TrafficDigest {
  int32_t reserved0;
  char* bandText;   /* "2.4GHz" or "5GHz" */
  char* empty;      /* "" */
  char* address;    /* device address */
  char* wlanMac;    /* wireless MAC address */
  char* clients;    /* associated clients, decimal */
  char* txPackets;  /* decimal */
  char* rxPackets;  /* decimal */
} TrafficDigest;

/* Status of PlugCmdAPI commands 0, 3 and 5 to 8. */
typedef struct CmdStatus {
  int32_t status;   /* 0 success, 1 failure */
  char* message;    /* see PlugCmdAPI */
  char* address;    /* device address */
  int32_t reserved12;
  char* model;      /* command 7: "KAV-7420" */
} CmdStatus;

/* One access point detected by a device (command 0): seven texts. */
typedef struct NeighbourRow {
  char* text[7]; /* class (lower case), channel, BSSID, "Not Suport", band, SSID, "(Not Suport) 0" */
} NeighbourRow;

/* Callbacks.  hasData is 1 with an array of one record, 0 without. */
typedef void (*PlugQueryCallback)(QueryStatus* status, int32_t hasData, void** records, void* context);
/* Commands 0 and 3: first argument 0. */
typedef void (*PlugTableCallback)(intptr_t zero, CmdStatus* status, int32_t rowCount, NeighbourRow** rows,
                                  void* context);
/* Commands 5 to 8. */
typedef void (*PlugTextCallback)(CmdStatus* status, const char* text, void* context);

/* One local network interface (QxGetNetInterfaceInfo).  The texts belong to
   the module and stay valid until the next call. */
typedef struct QxNetInterface {
  const char* address;  /* dotted */
  const char* second;   /* "0.0.0.0" */
  const char* third;    /* "0.0.0.0" */
  const char* netmask;  /* dotted */
  uint8_t up, broadcast, loopback, pointToPoint, multicast;
} QxNetInterface;

/* A window message record, as the host's message loop has it. */
typedef struct PlugMessage {
  void* window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t time;
  int32_t x, y;
} PlugMessage;

PLUG_EXPORT int32_t PlugGetModuleCaps(ModuleCaps* caps);
PLUG_EXPORT int32_t PlugSetSnmpParameter(uint32_t address, const char* readCommunity,
                                         const char* writeCommunity, int32_t port, int32_t timeout);
PLUG_EXPORT int32_t PlugInit(void);
PLUG_EXPORT void PlugShow(void);
PLUG_EXPORT int32_t PlugExit(void);
PLUG_EXPORT void PlugSetAsIndividual(void);
PLUG_EXPORT void PlugSetAsMultiple(void);
PLUG_EXPORT int32_t PlugPreTranslateMsg(PlugMessage* message);

PLUG_EXPORT uint32_t PlugGetSystemInfo(const char* address, void* unused1, void* unused2, uint32_t* out);
PLUG_EXPORT int32_t PlugGetBasicConfigInfor(const char* address, PlugQueryCallback callback, const char* tag,
                                            void* context);
PLUG_EXPORT int32_t PlugGetTrafficInfor(const char* address, PlugQueryCallback callback, void* unused,
                                        void* context);
PLUG_EXPORT void PlugGetClinetInfor(const char* address, KAV7420ClientInfoCallback callback, void* unused,
                                    void* context);

/* callback is a PlugTableCallback for commands 0 and 3, a PlugTextCallback
   for 5 to 8; commands 1, 2, 4 and unknown ones call nothing. */
PLUG_EXPORT int32_t PlugCmdAPI(int32_t command, const char* address, const char* argument, void* context,
                               void* callback);
PLUG_EXPORT int32_t PlugSystemCmd(const char* address, int32_t command);
PLUG_EXPORT int32_t PlugParseFile(const char* configFile, const char* templateFile);

/* Upgrades the firmware of the devices selected in the host's list and
   returns when the whole batch has run: 0 when at least one row was
   handled, -1 when none was (no list, no selected row of model "KAV-7420"
   with an empty step column, or a batch already running).

   Columns of the list, by number: 0 address, 1 model, 2 MAC address (for
   the final progress text), 3 subnet mask (for choosing this computer's
   address; empty means 255.255.255.0), 4 firmware version (set to
   "UpdatedFW"), 6 step ("Write Config:1", "Update F/W:2", "Reset",
   "Update F/W"), 7 progress ("....." ready, ".." running, "OK", "No
   Response!", "Invalid IP!", "Aborted!" or the library's message).

   mode: non-null when the devices fetch the image from this computer's FTP
   server (account "FtpUserName"/"FtpPasswordTmp", the server's home folder
   moved to the image's folder), null for the remote server of the settings
   ("RemoteFtpIpAddress", "FtpUserName"/"FtpPassword").  The mode's target
   is not read.

   Times in milliseconds: sendTimeout for fetching the image (one device
   after the other), secondTimeout for checking and writing it (all devices
   at once), extraTime added to each of those two for the watch that marks
   silent devices "No Response!", resetTimeout for the restart request; the
   batch then waits resetTimeout times 10 ms for the devices to restart.

   The host's events are processed while the batch waits; progress texts
   reach the host window as copy-data 3005. */
PLUG_EXPORT int32_t PlugUpgradeFirmware(const void* mode, PlugListControl* list, void* unused,
                                        const char* firmwarePath, int32_t sendTimeout, int32_t secondTimeout,
                                        int32_t extraTime, int32_t resetTimeout);
/* Aborts the running batch (from an event the host handles during it):
   the step under way may answer, the rest is dropped, and every handled row
   that has not ended "OK" shows "Aborted!".  Nothing without a batch. */
PLUG_EXPORT void PlugUpFirCallBack(void);

/* Fills interfaces[0..9]; the number filled, 0 when the list cannot be had
   (among others when the computer has more than ten interfaces). */
PLUG_EXPORT int32_t QxGetNetInterfaceInfo(QxNetInterface* interfaces);

#ifdef __cplusplus
}
#endif

#endif
