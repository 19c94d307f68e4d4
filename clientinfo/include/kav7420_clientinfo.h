/* libKAV7420PlugClientInfo: the wireless clients associated with a KAV-7420.
 *
 * The configuration module forwards its PlugSetSnmpParameter and
 * PlugGetClinetInfor exports to these two functions unchanged.
 *
 * Records keep the field order of the host's 32-bit layout with
 * pointer-sized text fields; on a 32-bit build every offset is the host's
 * (ClientRow 36 bytes, ClientResult 20 bytes).  Fields marked "not written"
 * are left as they are: the host must not read them.
 *
 * Ownership: every text of a ClientRow and the address of a ClientResult
 * are heap copies that the library frees right after the callback returns;
 * the message and the model name point into library texts that are valid
 * only during the callback.  The host copies what it keeps.
 */
#ifndef KAV7420_CLIENTINFO_H
#define KAV7420_CLIENTINFO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define KAV7420_CLIENTINFO_API __attribute__((visibility("default")))
#else
#define KAV7420_CLIENTINFO_API
#endif

/* One associated client. */
typedef struct ClientRow {
  void* reserved0;       /*  0: not written */
  char* band;            /*  4: band of the device's radio, "2.4GHz" or "5GHz" (empty if unreadable) */
  char* mac;             /*  8: twelve upper-case hexadecimal digits */
  void* reserved12;      /* 12: not written */
  char* authentication;  /* 16: "OPEN", "WPA2-Personal", ... */
  int32_t rssi;          /* 20: received signal strength */
  char* powerSave;       /* 24: "Off" or "On" */
  char* ssidIndex;       /* 28: SSID index text */
  void* reserved32;      /* 32: not written */
} ClientRow;

/* The outcome of one request. */
typedef struct ClientResult {
  int32_t status;        /*  0: 0 success, 1 failure */
  const char* message;   /*  4: result or error text of the SNMP framework */
  char* address;         /*  8: device address text */
  void* reserved12;      /* 12: not written */
  const char* model;     /* 16: "KAV-7420" */
} ClientResult;

/* rows is NULL when rowCount is 0. */
typedef void (*KAV7420ClientInfoCallback)(ClientResult* result, int32_t rowCount, ClientRow** rows,
                                          void* context);

/* address: IPv4 address in network byte order; port is used as 16 bits;
 * timeout in milliseconds (each SNMP try waits half of it). */
KAV7420_CLIENTINFO_API void KAV7420PlugSetSnmpParameter(uint32_t address, const char* readCommunity,
                                                        const char* writeCommunity, int32_t port,
                                                        int32_t timeout);

/* Refreshes the device's client table, walks it and answers once through
 * callback (on the thread that runs the Qt event loop).  unused is ignored. */
KAV7420_CLIENTINFO_API void KAV7420PlugGetClinetInfor(const char* address, KAV7420ClientInfoCallback callback,
                                                      void* unused, void* context);

#ifdef __cplusplus
}
#endif

#endif /* KAV7420_CLIENTINFO_H */
