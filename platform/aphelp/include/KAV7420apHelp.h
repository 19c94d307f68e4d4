/*
 * KAV7420apHelp: the device access library of the KAV-7420 module.
 *
 * A session holds where a device is and how to reach it (address, port,
 * communities, time-out).  A feature handle, opened on a session, keeps a
 * local copy of one group of the device's values; get and set requests move
 * that copy from and to the device, accessors read and write it without any
 * network traffic.
 *
 * Conventions
 *  - Every function returns 0 for success or an error code; apSnmpGetErrorMsg
 *    gives its text.  Open functions return a handle, or 0 on failure.
 *  - Requests take a mode: AP_MODE_SYNC (4) blocks until the transfer has
 *    ended and returns its result; AP_MODE_ASYNC (2) returns at once and the
 *    completion is called later on the thread of the Qt event loop, never
 *    inside the call that started the request.  A request keeps the target
 *    its session had when it was sent.
 *  - Completion: (handle, status, message, context, device address); status 0
 *    is success; the texts belong to the library and live only during the
 *    call.  For the request functions named apPlug... the first argument is
 *    not the handle but a pointer to the record they fetched (see each).
 *  - Closing a handle cancels its requests in flight: their completions are
 *    not called.
 *  - Texts copied into fixed-width record fields are cut to fit and always
 *    end with a zero byte.
 *  - Tables are read as an AP_TABLE_PAIR: with a null buffer the call sets
 *    count; the caller allocates count records plus one zeroed byte and calls
 *    again to fill them.
 *  - Everything runs on the thread of the Qt event loop; a QCoreApplication
 *    must exist before apInitSnmpLibrary.
 */
#ifndef KAV7420APHELP_H
#define KAV7420APHELP_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define AP_EXPORT __attribute__((visibility("default")))

typedef int32_t AP_HANDLE;

typedef int (*AP_CALLBACK)(intptr_t handle, int status, const char* message, void* context,
                           const char* address);

enum { AP_MODE_ASYNC = 2, AP_MODE_SYNC = 4 };

typedef struct AP_TABLE_PAIR {
  int32_t count;
  void* buffer;
} AP_TABLE_PAIR;

/* ---- error codes ---- */
enum {
  AP_OK = 0,
  AP_E_TIMEOUT = -1,        /* no answer: unreachable device or wrong community */
  AP_E_HANDLE = -2,         /* not an open handle of the right kind */
  AP_E_SEND = -3,           /* the request could not be sent */
  AP_E_ADDRESS = -4,        /* the session's address or port is not usable */
  AP_E_NOT_INIT = -5,       /* apInitSnmpLibrary has not run */
  AP_E_ARGUMENT = -6,       /* a bad argument */
  AP_E_BAD_ANSWER = -7,     /* an answer that does not fit the request */
  AP_E_WRONG_TYPE = -8,     /* a value of another type than the object has */
  AP_E_NO_SUCH_OBJECT = -9, /* the device lacks an object the request needs */
  AP_E_NOTHING_TO_SET = -10,
  AP_E_UNSUPPORTED = -11,
  AP_E_TRANSFER = -12,      /* the device could not complete a file transfer */
  /* An error status n (1 to 18) in the device's answer is reported as
     AP_E_STATUS_BASE - n, so -101 (tooBig) to -118 (inconsistentName). */
  AP_E_STATUS_BASE = -100,
  AP_E_NO_FEATURE_HANDLE = -600, /* used by the module: a page without its handle */
  AP_WRONG_IMAGE = 500            /* completion status: the file is no firmware image for the device */
};

/* ---- library and sessions ---- */
AP_EXPORT int apInitSnmpLibrary(void);
AP_EXPORT int apUninitSnmpLibrary(void);
AP_EXPORT AP_HANDLE apSnmpOpenSession(int number, const char* ident);
AP_EXPORT int apSnmpSetSession(AP_HANDLE session, int port, const char* readCommunity,
                               const char* writeCommunity, int timeoutMs, const char* address,
                               int flag);
AP_EXPORT int apHandleClose(AP_HANDLE handle);
/* Chooses the value groups the following requests of the handle cover.
   flag 0 replaces the mask before a read, 1 before a write; both replace it. */
AP_EXPORT int apStyleModify(AP_HANDLE handle, uint32_t mask, int flag);
AP_EXPORT int apSnmpSendGetRequest(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode,
                                   int reserved);
AP_EXPORT int apSnmpSendSetRequest(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode,
                                   int reserved);
/* Fills buffer (256 bytes) with the text of an error code. */
AP_EXPORT int apSnmpGetErrorMsg(int code, char* buffer);

/* ---- device information ---- */
#define AP_DEVICE_INFO_SIZE 32228

/* Selector 0: the full device information. */
typedef struct AP_DEVICE_INFO {
  int32_t selector;             /* 0 */
  int32_t bandCount;            /* 4 */
  char reserved0[88];           /* 8 */
  char ipAddress[20];           /* 96 */
  char subnetMask[20];          /* 116 */
  char gateway[20];             /* 136 */
  char firmwareVersion[1024];   /* 156 */
  char reserved1[2084];         /* 1180 */
  char apArrayName[1024];       /* 3264 */
  char apArrayRole[1024];       /* 4288 */
  char apArrayLocation[1024];   /* 5312 */
  int32_t cpuUtilization;       /* 6336 */
  int32_t memUtilization;       /* 6340 */
  char ethernetMac[20];         /* 6344 */
  char wlanMac[2][20];          /* 6364 / 6384: primary SSID, 2.4 GHz / 5 GHz */
  char firstSsidMac[2][20];     /* 6404 / 6424 */
  char lastSsidMac[2][20];      /* 6444 / 6464 */
  char ssidMac[3][2][20];       /* 6484: additional SSIDs 1 to 3, 2.4 GHz then 5 GHz */
  char ssid[2][1024];           /* 6604 / 7628 */
  char channel[2][1024];        /* 8652 / 9676 */
  char dataRate[2][1024];       /* 10700 / 11724 */
  char opMode[2][1024];         /* 12748 / 13772 */
  char radioState[2][1024];     /* 14796 / 15820: "on" or "off" */
  char reserved2[2048];         /* 16844 */
  char currentBand[1024];       /* 18892: "band2dot4gHz" or "band5gHz" */
  char reserved3[1024];         /* 19916 */
  char security[2][1024];       /* 20940 / 21964 */
  char reserved4[2048];         /* 22988 */
  char modelName[1024];         /* 25036 */
  char systemTime[1024];        /* 26060 */
  char upTime[1024];            /* 27084 */
  char systemName[1024];        /* 28108 */
  char location[1024];          /* 29132 */
  char bandState[2][1024];      /* 30156 / 31180: "enabled" or "disabled" */
  char reserved5[24];           /* 32204 */
} AP_DEVICE_INFO;

/* Selector 2: the wired IP settings, in the same 32228 bytes. */
typedef struct AP_LAN_INFO {
  int32_t selector;  /* 2 */
  int32_t reserved0[2];
  int32_t addressMode; /* 12: 0 static, 1 DHCP */
  char reserved1[20];
  char ipAddress[20];  /* 36 */
  char subnetMask[20]; /* 56 */
  char gateway[20];    /* 76: "N/A" when there is none */
  char reserved2[AP_DEVICE_INFO_SIZE - 96];
} AP_LAN_INFO;

AP_EXPORT AP_HANDLE apSysDeviceInforOpen(AP_HANDLE session, int reserved);
/* Fills a 32228-byte record in the layout its first field selects (0 or 2). */
AP_EXPORT int apSysDeviceGetInfor(AP_HANDLE handle, void* record);
/* Takes the writable values of a record into the local copy: selector 2 the
   LAN settings, selector 0 the system name and location. */
AP_EXPORT int apSysDeviceSetInfor(AP_HANDLE handle, const void* record);

/* ---- system commands and firmware version ---- */
AP_EXPORT AP_HANDLE apSysCommandObjOpen(AP_HANDLE session, int reserved);
AP_EXPORT int apSysCommandObjClose(AP_HANDLE handle);
/* Queues a command (0 restart, 1 factory defaults, 2 save and activate,
   3 discard changes, 4 clear the language pack); the next get or set request
   of the handle sends it, waiting at most timeMs for the device's answer. */
AP_EXPORT int apSysCommand(AP_HANDLE handle, int code, int timeMs);
/* Makes the device transfer a file with an FTP server (kind 3 store its
   configuration file, 7 fetch a firmware image into its staging area, 8 check
   and write the fetched image, 9 restart with it).  The completion comes when
   the device reports the transfer ended (status 0, AP_WRONG_IMAGE, or an
   error with the device's message) or after timeoutMs; for kind 9 as soon as
   the device took the command. */
AP_EXPORT int apPlugSysUpGradeFTPEx(AP_HANDLE handle, int kind, const char* server, const char* user,
                                    const char* password, const char* fileName, int timeoutMs,
                                    AP_CALLBACK callback, void* context, int mode);
/* Copies the firmware version of the last read into buffer (size bytes). */
AP_EXPORT int apSysGetFWversion(AP_HANDLE handle, char* buffer, int size);
/* Reads the firmware version; the completion's first argument is the
   version text. */
AP_EXPORT int apPlugGetFWVervion(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode);

/* ---- statistics ---- */
typedef struct AP_TRAFFIC_DIGEST {
  int32_t band;           /* 0: 0 for 2.4 GHz, 1 for 5 GHz */
  int32_t reserved0;
  int32_t clients;        /* 8: associated clients */
  char reserved1[92];
  int32_t txPackets;      /* 104 */
  int32_t reserved2;
  int32_t rxPackets;      /* 112 */
  int32_t reserved3;
  char ipAddress[20];     /* 120 */
  char wlanMac[20];       /* 140 */
} AP_TRAFFIC_DIGEST;

AP_EXPORT AP_HANDLE apStatisticOpen(AP_HANDLE session, int reserved);
/* Reads the traffic digest; the completion's first argument points at an
   AP_TRAFFIC_DIGEST. */
AP_EXPORT int apPlugGetTriffic(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode);

/* ---- wireless ---- */
typedef struct AP_BASIC_CONFIG {
  char reserved0[2058];
  char ssid[2048];            /* 2058 */
  char channel[2048];         /* 4106 */
  char reserved1[2];
  int32_t band;               /* 6156: 0 for 2.4 GHz, 1 for 5 GHz */
  int32_t reserved2;
  int32_t authentication;     /* 6164: security summary, 1 open ... 11 WEP */
  int32_t reserved3;
  int32_t opMode;             /* 6172: 1 access point ... 5 repeater */
  int32_t reserved4;
  int32_t full;               /* 6180: 1 when no more clients are accepted */
  int32_t reserved5;
  char name[1024];            /* 6188: system name */
} AP_BASIC_CONFIG;

AP_EXPORT AP_HANDLE apWirelessOpen(AP_HANDLE session, int reserved);
/* Reads the digest of the basic wireless configuration, on a wireless or a
   device-information handle; the completion's first argument points at an
   AP_BASIC_CONFIG. */
AP_EXPORT int apPlugGetBasicConfig(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode);

/* ---- monitors ---- */
typedef struct AP_NEIGHBOUR_AP {
  int32_t band;            /* 0: 1 for 2.4 GHz, 2 for 5 GHz */
  int32_t index;           /* 4 */
  char channel[2304];      /* 8 */
  char bssid[20];          /* 2312 */
  char bandText[256];      /* 2332 */
  char ssid[1024];         /* 2588 */
  char lastSeen[1024];     /* 3612 */
  char className[256];     /* 4636 */
  char status[256];        /* 4892 */
} AP_NEIGHBOUR_AP;

AP_EXPORT AP_HANDLE apSysMonitorOpen(AP_HANDLE session, int kind, int reserved);
/* Makes the device refresh the monitor's table (kind 2: scan for access
   points on band 1 or 2) and reads it. */
AP_EXPORT int apSysMonitorRefresh(AP_HANDLE handle, int band, AP_CALLBACK callback, void* context,
                                  int mode);
/* The monitor's table of the last refresh (kind 2: AP_NEIGHBOUR_AP records). */
AP_EXPORT int apSysMonitorQueryInfor(AP_HANDLE handle, AP_TABLE_PAIR* pair);

#ifdef __cplusplus
}
#endif

#endif
