/*
 * JQ_API: drive up to eight multi-axis motion controllers (device slots 0 to 7)
 * over a serial line, USB HID or TCP.
 *
 * Every device operation comes twice: JQ_M_<name>(slot, ...) for any slot and
 * JQ_<name>(...) for slot 0. Results: 0 on success, -1 on any failure. Getters
 * always write their outputs: the controller's value on success, a default on failure.
 * The library keeps no pointer the caller passes in.
 */
#ifndef JQ_API_H
#define JQ_API_H

#include <stdint.h>

#if defined(_WIN32) && defined(__i386__)
#define JQ_CALL __attribute__((stdcall))
#elif defined(_M_IX86)
#define JQ_CALL __stdcall
#else
#define JQ_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library lifecycle ---- */
int32_t JQ_CALL JQ_Init(void);
int32_t JQ_CALL JQ_DeInit(void);
void JQ_CALL JQ_Get_Dll_Version(char** version);
int32_t JQ_CALL JQ_Set_Thread_Timeout(int32_t milliseconds);

/* ---- USB link ---- */
int32_t JQ_CALL JQ_M_Open_USB(int32_t slot);
int32_t JQ_CALL JQ_Open_USB(void);
int32_t JQ_CALL JQ_M_Open_USB_SN(int32_t slot, const char* serial_number);
int32_t JQ_CALL JQ_M_Close_USB(int32_t slot);
int32_t JQ_CALL JQ_Close_USB(void);
int32_t JQ_CALL JQ_M_Get_Push_Data(int32_t slot, uint16_t channel, int32_t* value);
int32_t JQ_CALL JQ_Get_Push_Data(uint16_t channel, int32_t* value);

/* ---- Serial link ---- */

/* ---- Network link ---- */

/* ---- Product information and presence check ---- */

/* ---- Single-axis motion: modes, targets, stops, positions and status ---- */

/* ---- Homing, software limits and per-mode ramps ---- */

/* ---- Line, circle and multi-axis line interpolation ---- */

/* ---- Stream (queued motion) buffer ---- */

/* ---- Digital inputs and outputs, OC outputs, analog inputs, temperature and PWM ---- */

/* ---- Encoders and position triggers ---- */

/* ---- PLC and parameter and system memory ---- */

/* ---- Unit conversion (no device) ---- */

#ifdef __cplusplus
}
#endif

#endif /* JQ_API_H */
