/*
 * JQ_API: drive up to eight multi-axis motion controllers at once over a serial
 * line, USB HID or TCP. Link with -lJQ_API (pkg-config: jq_api; CMake:
 * find_package(JQ_API) and the target JQ_API::JQ_API).
 *
 * Order of calls
 *   JQ_Init() once, before anything else; until then every call returns -1 (and
 *   getters write their failure value, below). Only JQ_Get_Dll_Version and the
 *   JQ_Help_ conversions work without it. Then open a link on a slot, send
 *   commands, close the link, and call JQ_DeInit() once at the end. A second
 *   JQ_Init, or a JQ_DeInit without JQ_Init, changes nothing.
 *
 * Slots
 *   Controllers sit in slots 0 to 7. Every device operation comes twice:
 *   JQ_M_<name>(slot, ...) for any slot and JQ_<name>(...) for slot 0. A slot
 *   outside 0..7 gives -1 and sends nothing. A slot talks over the link it opened
 *   last; opening a link of another kind leaves the former one open but unused.
 *
 * Results
 *   0 on success, -1 on any failure: no link, slot out of range, time-out,
 *   malformed reply, command refused by the controller, bad argument. There are
 *   no other codes and no C++ exception leaves the library. JQ_Get_Dll_Version
 *   returns nothing and the JQ_Help_ conversions return their value.
 *
 * Outputs
 *   Every output is a pointer the caller owns; the library allocates nothing for
 *   the caller and keeps no pointer it was given. A null output pointer is skipped
 *   (the command is still sent). A getter of one value writes it in every case:
 *   the controller's value on success; on failure 0 (0.0f for float), unless its
 *   declaration names another value. Byte buffers carry no terminator; their sizes
 *   are given at the declarations.
 *
 * Threads
 *   Any export may be called from any thread between JQ_Init and JQ_DeInit. The
 *   library runs one command at a time, whatever the slot: a call waits while
 *   another thread's command is on its way (per command at most 3 x 500 ms on a
 *   silent serial line, 500 ms on USB, 1000 ms on TCP). A caller whose several
 *   calls must not be interleaved with another thread's keeps its own lock.
 *   JQ_Init and JQ_DeInit must not run while any other export is running. From
 *   JQ_Init to JQ_DeInit one background thread reads USB input (JQ_Set_Thread_Timeout).
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
/* Sets up the library: every slot without a link, the USB reader started with a
 * 5 ms pause. 0, or -1 when the set-up failed. Call it first, once. */
int32_t JQ_CALL JQ_Init(void);
/* Stops the USB reader, closes every link of every slot. Always 0. Call it last,
 * when no other export is running; JQ_Init may start the library again after it. */
int32_t JQ_CALL JQ_DeInit(void);
/* Stores in *version the address of the library's version text ("4.0.0.0"),
 * zero-terminated. The text belongs to the library and lives as long as the
 * library is loaded: never free it and never write to it. A null argument is
 * ignored. Needs no JQ_Init. */
void JQ_CALL JQ_Get_Dll_Version(char** version);
/* The pause, in milliseconds, of the USB reader thread after each pass over the
 * open USB links (5 after JQ_Init; a negative value is taken as 0). A longer pause
 * costs less processor time and makes USB replies and push data arrive later.
 * Sends nothing. 0, or -1 before JQ_Init. */
int32_t JQ_CALL JQ_Set_Thread_Timeout(int32_t milliseconds);

/* ---- USB link ---- */
/* JQ_M_Open_USB(n) opens the (n+1)-th controller of the system's USB HID devices,
 * JQ_M_Open_USB_SN the one whose serial-number text equals the given text.
 * 0 when opened; -1 when no such device could be opened, and the slot then has no
 * link at all (its former USB link is closed first). Close sets the slot to no link.
 * Push data: the two words the controller last pushed over USB on that slot
 * (channels 0 and 1; channels 2..7, a channel above 7 or a slot outside 0..7
 * read 0). Returns 0 whatever the slot and channel, and always writes *value. */
int32_t JQ_CALL JQ_M_Open_USB(int32_t slot);
int32_t JQ_CALL JQ_Open_USB(void);
int32_t JQ_CALL JQ_M_Open_USB_SN(int32_t slot, const char* serial_number);
int32_t JQ_CALL JQ_M_Close_USB(int32_t slot);
int32_t JQ_CALL JQ_Close_USB(void);
int32_t JQ_CALL JQ_M_Get_Push_Data(int32_t slot, uint16_t channel, int32_t* value);
int32_t JQ_CALL JQ_Get_Push_Data(uint16_t channel, int32_t* value);

/* ---- Serial link ---- */
/* Opens the named port (COM<n> is /dev/ttyS<n-1>; a name starting with "/" is a
 * device path) at 115200 8N1 without flow control. Returns 0 even when the port
 * cannot be opened: commands on the slot then fail. A port already open on the
 * slot is closed first. -1 for a slot outside 0..7 or a null name. The _Unicode
 * forms do the same; JQ_Open_UART_ID(n) opens COM<n> on slot 0. Close closes the
 * port but leaves the slot on the serial link: its commands fail until a link is
 * opened again. */
int32_t JQ_CALL JQ_M_Open_UART(int32_t slot, const char* port_name);
int32_t JQ_CALL JQ_Open_UART(const char* port_name);
int32_t JQ_CALL JQ_M_Open_UART_Unicode(int32_t slot, const char* port_name);
int32_t JQ_CALL JQ_Open_UART_Unicode(const char* port_name);
int32_t JQ_CALL JQ_Open_UART_ID(int32_t port_number);
int32_t JQ_CALL JQ_M_Close_UART(int32_t slot);
int32_t JQ_CALL JQ_Close_UART(void);

/* ---- Network link ---- */
/* Connects over TCP (IPv4) to the address a.b.c.d or the host name, waiting up to
 * 20 s for the connection; each command then waits up to 1 s for its reply.
 * 0 when connected; -1 when the host is empty, the port 0, the name does not
 * resolve, or the peer refuses or does not answer. A slot's earlier connection is
 * closed first. Close sets the slot to no link. */
int32_t JQ_CALL JQ_M_Open_Net(int32_t slot, uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint16_t port);
int32_t JQ_CALL JQ_Open_Net(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint16_t port);
int32_t JQ_CALL JQ_M_Open_Net_Name(int32_t slot, const char* host, uint16_t port);
int32_t JQ_CALL JQ_Open_Net_Name(const char* host, uint16_t port);
int32_t JQ_CALL JQ_M_Close_Net(int32_t slot);
int32_t JQ_CALL JQ_Close_Net(void);

/* ---- Product information and presence check ---- */
/* Check: 0 when a controller answers on the slot's link.
 * Buffers: id 16 bytes; serial (SN, SN2) 12 bytes; text (SN3) 24 characters, the
 * serial number in upper-case hexadecimal. None of them is terminated: pass 17 or
 * 25 bytes and set the last to 0 to print them as text. ID, SN and SN2 read four
 * bytes per command and stop at the first failed command: the bytes read before it
 * are written, the rest of the buffer is left as it was. SN3 writes nothing unless
 * it read the whole serial number. The version getters write 0 to every output
 * whose command failed (Version2: all four if the first command failed, else only
 * the fourth). */
int32_t JQ_CALL JQ_M_Check(int32_t slot);
int32_t JQ_CALL JQ_Check(void);
int32_t JQ_CALL JQ_M_Get_Product_Resource(int32_t slot, int32_t* resource);
int32_t JQ_CALL JQ_Get_Product_Resource(int32_t* resource);
int32_t JQ_CALL JQ_M_Get_Product_ID(int32_t slot, uint8_t* id);
int32_t JQ_CALL JQ_Get_Product_ID(uint8_t* id);
int32_t JQ_CALL JQ_M_Get_Product_SN(int32_t slot, uint8_t* serial);
int32_t JQ_CALL JQ_Get_Product_SN(uint8_t* serial);
int32_t JQ_CALL JQ_M_Get_Product_SN2(int32_t slot, uint8_t* serial);
int32_t JQ_CALL JQ_Get_Product_SN2(uint8_t* serial);
int32_t JQ_CALL JQ_M_Get_Product_SN3(int32_t slot, char* text);
int32_t JQ_CALL JQ_Get_Product_SN3(char* text);
int32_t JQ_CALL JQ_M_Get_Product_Version(int32_t slot, int32_t* first, int32_t* second);
int32_t JQ_CALL JQ_Get_Product_Version(int32_t* first, int32_t* second);
int32_t JQ_CALL JQ_M_Get_Product_Version2(int32_t slot, int32_t* first, int32_t* second, int32_t* third, int32_t* fourth);
int32_t JQ_CALL JQ_Get_Product_Version2(int32_t* first, int32_t* second, int32_t* third, int32_t* fourth);

/* ---- Single-axis motion: modes, targets, stops, positions and status ---- */
/* "axis" is the controller's axis number. The status getters write 0 to all six
 * outputs on failure. */
int32_t JQ_CALL JQ_M_Get_Axis_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_Axis_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Get_Axis_Acc(int32_t slot, uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_Get_Axis_Acc(uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_M_Set_Axis_Acc(int32_t slot, uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_Set_Axis_Acc(uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_M_Get_Axis_Dec(int32_t slot, uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_Get_Axis_Dec(uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_M_Set_Axis_Dec(int32_t slot, uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_Set_Axis_Dec(uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_M_Get_Axis_Mode(int32_t slot, uint16_t axis, int32_t* mode);
int32_t JQ_CALL JQ_Get_Axis_Mode(uint16_t axis, int32_t* mode);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Velocity(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Velocity(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Position(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Position(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Position_Open(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Position_Open(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Position_Close(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Position_Close(uint16_t axis);
int32_t JQ_CALL JQ_M_Get_Axis_Velocity_V_Target(int32_t slot, uint16_t axis, int32_t* speed);
int32_t JQ_CALL JQ_Get_Axis_Velocity_V_Target(uint16_t axis, int32_t* speed);
int32_t JQ_CALL JQ_M_Set_Axis_Velocity_V_Target_Abs(int32_t slot, uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Velocity_V_Target_Abs(uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Velocity_V_Target_Rel(int32_t slot, uint16_t axis, int32_t change);
int32_t JQ_CALL JQ_Set_Axis_Velocity_V_Target_Rel(uint16_t axis, int32_t change);
int32_t JQ_CALL JQ_M_Set_Axis_Velocity_Stop(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Velocity_Stop(uint16_t axis);
int32_t JQ_CALL JQ_M_Get_Axis_Position_V_Max(int32_t slot, uint16_t axis, int32_t* speed);
int32_t JQ_CALL JQ_Get_Axis_Position_V_Max(uint16_t axis, int32_t* speed);
int32_t JQ_CALL JQ_M_Set_Axis_Position_V_Max(int32_t slot, uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Position_V_Max(uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_M_Get_Axis_Position_P_Target(int32_t slot, uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_Get_Axis_Position_P_Target(uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_M_Set_Axis_Position_P_Target_Abs(int32_t slot, uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_Set_Axis_Position_P_Target_Abs(uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_M_Set_Axis_Position_P_Target_Rel(int32_t slot, uint16_t axis, int32_t distance);
int32_t JQ_CALL JQ_Set_Axis_Position_P_Target_Rel(uint16_t axis, int32_t distance);
int32_t JQ_CALL JQ_M_Set_Axis_Position_Stop(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Position_Stop(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Position_Close_Dec_Factor(int32_t slot, uint16_t axis, float factor);
int32_t JQ_CALL JQ_Set_Axis_Position_Close_Dec_Factor(uint16_t axis, float factor);
int32_t JQ_CALL JQ_M_Set_Axis_Halt(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Halt(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Halt_All(int32_t slot);
int32_t JQ_CALL JQ_Set_Axis_Halt_All(void);
int32_t JQ_CALL JQ_M_Get_Axis_V_Now(int32_t slot, uint16_t axis, int32_t* speed);
int32_t JQ_CALL JQ_Get_Axis_V_Now(uint16_t axis, int32_t* speed);
int32_t JQ_CALL JQ_M_Get_Axis_Software_P_Now(int32_t slot, uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_Get_Axis_Software_P_Now(uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_M_Set_Axis_Software_P(int32_t slot, uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_Set_Axis_Software_P(uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_M_Get_Axis_Status(int32_t slot, uint16_t axis, uint8_t* run, uint8_t* dir, uint8_t* neg, uint8_t* pos, uint8_t* zero, uint8_t* mode);
int32_t JQ_CALL JQ_Get_Axis_Status(uint16_t axis, uint8_t* run, uint8_t* dir, uint8_t* neg, uint8_t* pos, uint8_t* zero, uint8_t* mode);
int32_t JQ_CALL JQ_M_Get_Axis_Status2(int32_t slot, uint16_t axis, int32_t* run, int32_t* dir, int32_t* neg, int32_t* pos, int32_t* zero, int32_t* mode);
int32_t JQ_CALL JQ_Get_Axis_Status2(uint16_t axis, int32_t* run, int32_t* dir, int32_t* neg, int32_t* pos, int32_t* zero, int32_t* mode);
int32_t JQ_CALL JQ_M_Get_Axis_Status_Run(int32_t slot, uint16_t axis, int32_t* run);
int32_t JQ_CALL JQ_Get_Axis_Status_Run(uint16_t axis, int32_t* run);
int32_t JQ_CALL JQ_M_Get_Axis_Status_Dir(int32_t slot, uint16_t axis, int32_t* dir);
int32_t JQ_CALL JQ_Get_Axis_Status_Dir(uint16_t axis, int32_t* dir);
int32_t JQ_CALL JQ_M_Get_Axis_Status_Neg(int32_t slot, uint16_t axis, int32_t* neg);
int32_t JQ_CALL JQ_Get_Axis_Status_Neg(uint16_t axis, int32_t* neg);
int32_t JQ_CALL JQ_M_Get_Axis_Status_Pos(int32_t slot, uint16_t axis, int32_t* pos);
int32_t JQ_CALL JQ_Get_Axis_Status_Pos(uint16_t axis, int32_t* pos);
int32_t JQ_CALL JQ_M_Get_Axis_Status_Zero(int32_t slot, uint16_t axis, int32_t* zero);
int32_t JQ_CALL JQ_Get_Axis_Status_Zero(uint16_t axis, int32_t* zero);
int32_t JQ_CALL JQ_M_Get_Axis_Status_Mode(int32_t slot, uint16_t axis, int32_t* mode);
int32_t JQ_CALL JQ_Get_Axis_Status_Mode(uint16_t axis, int32_t* mode);
int32_t JQ_CALL JQ_M_Get_Axis_P_Now(int32_t slot, uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_Get_Axis_P_Now(uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_M_Get_Axis_Software_P(int32_t slot, uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_Get_Axis_Software_P(uint16_t axis, int32_t* position);
int32_t JQ_CALL JQ_M_Set_Axis_Software_P_Now(int32_t slot, uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_Set_Axis_Software_P_Now(uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_M_Set_Axis_P_Now(int32_t slot, uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_Set_Axis_P_Now(uint16_t axis, int32_t position);

/* ---- Homing, software limits and per-mode ramps ---- */
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Home(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Home(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Home_Home_Switch(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Home_Home_Switch(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Home_Encoder_Index(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Home_Encoder_Index(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Home_Encoder_Home_Switch(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Home_Encoder_Home_Switch(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Mode_Home_Home_Zero(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Mode_Home_Home_Zero(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Home_V(int32_t slot, uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Home_V(uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Home_Stop(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Home_Stop(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Software_Limit_Neg_Value(int32_t slot, uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_Set_Axis_Software_Limit_Neg_Value(uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_M_Set_Axis_Software_Limit_Pos_Value(int32_t slot, uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_Set_Axis_Software_Limit_Pos_Value(uint16_t axis, int32_t position);
int32_t JQ_CALL JQ_M_Set_Axis_Software_Limit_Enable(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Software_Limit_Enable(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Software_Limit_Disable(int32_t slot, uint16_t axis);
int32_t JQ_CALL JQ_Set_Axis_Software_Limit_Disable(uint16_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Home_V_Start(int32_t slot, uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Home_V_Start(uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Home_Acc(int32_t slot, uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_Set_Axis_Home_Acc(uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Axis_Home_Dec(int32_t slot, uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_Set_Axis_Home_Dec(uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_M_Get_Axis_Home_Acc(int32_t slot, uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_Get_Axis_Home_Acc(uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_M_Get_Axis_Home_Dec(int32_t slot, uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_Get_Axis_Home_Dec(uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_M_Set_Axis_Velocity_V_Start(int32_t slot, uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Velocity_V_Start(uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Velocity_Acc(int32_t slot, uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_Set_Axis_Velocity_Acc(uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Axis_Velocity_Dec(int32_t slot, uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_Set_Axis_Velocity_Dec(uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_M_Get_Axis_Velocity_Acc(int32_t slot, uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_Get_Axis_Velocity_Acc(uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_M_Get_Axis_Velocity_Dec(int32_t slot, uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_Get_Axis_Velocity_Dec(uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_M_Set_Axis_Position_V_Start(int32_t slot, uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Position_V_Start(uint16_t axis, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Position_Acc(int32_t slot, uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_Set_Axis_Position_Acc(uint16_t axis, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Axis_Position_Dec(int32_t slot, uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_Set_Axis_Position_Dec(uint16_t axis, int32_t dec);
int32_t JQ_CALL JQ_M_Get_Axis_Position_Acc(int32_t slot, uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_Get_Axis_Position_Acc(uint16_t axis, int32_t* acc);
int32_t JQ_CALL JQ_M_Get_Axis_Position_Dec(int32_t slot, uint16_t axis, int32_t* dec);
int32_t JQ_CALL JQ_Get_Axis_Position_Dec(uint16_t axis, int32_t* dec);

/* ---- Line, circle and multi-axis line interpolation ---- */
/* On failure JQ_M_Get_Axis_Line_Axis writes axis 0 and 1, JQ_M_Get_Axis_Circle_Axis 0 and 0.
 * Axis pairs, and the line and item numbers of a multi-axis line, travel as bytes:
 * each must be 0..255, and an axis count 2..8, or the call returns -1 unsent.
 * A multi-axis run stops at the first refused command. */
int32_t JQ_CALL JQ_M_Get_Axis_Line_Num(int32_t slot, int32_t* num);
int32_t JQ_CALL JQ_Get_Axis_Line_Num(int32_t* num);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Axis(int32_t slot, uint16_t line, int32_t axis1, int32_t axis2);
int32_t JQ_CALL JQ_Set_Axis_Line_Axis(uint16_t line, int32_t axis1, int32_t axis2);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Acc(int32_t slot, uint16_t line, int32_t acc);
int32_t JQ_CALL JQ_Set_Axis_Line_Acc(uint16_t line, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Dec(int32_t slot, uint16_t line, int32_t dec);
int32_t JQ_CALL JQ_Set_Axis_Line_Dec(uint16_t line, int32_t dec);
int32_t JQ_CALL JQ_M_Set_Axis_Line_V(int32_t slot, uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Line_V(uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Line_V_Start(int32_t slot, uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Line_V_Start(uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Run(int32_t slot, uint16_t line);
int32_t JQ_CALL JQ_Set_Axis_Line_Run(uint16_t line);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Stop(int32_t slot, uint16_t line);
int32_t JQ_CALL JQ_Set_Axis_Line_Stop(uint16_t line);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Halt(int32_t slot, uint16_t line);
int32_t JQ_CALL JQ_Set_Axis_Line_Halt(uint16_t line);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Rel(int32_t slot, uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_Set_Axis_Line_Rel(uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Abs(int32_t slot, uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_Set_Axis_Line_Abs(uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Run_Rel(int32_t slot, uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_Set_Axis_Line_Run_Rel(uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_M_Set_Axis_Line_Run_Abs(int32_t slot, uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_Set_Axis_Line_Run_Abs(uint16_t line, int32_t target1, int32_t target2);
int32_t JQ_CALL JQ_M_Get_Axis_Line_Status(int32_t slot, uint16_t line, int32_t* status);
int32_t JQ_CALL JQ_Get_Axis_Line_Status(uint16_t line, int32_t* status);
int32_t JQ_CALL JQ_M_Get_Axis_Line_Axis(int32_t slot, uint16_t line, int32_t* axis1, int32_t* axis2);
int32_t JQ_CALL JQ_Get_Axis_Line_Axis(uint16_t line, int32_t* axis1, int32_t* axis2);
int32_t JQ_CALL JQ_M_Get_Axis_Line_Acc(int32_t slot, uint16_t line, int32_t* acc);
int32_t JQ_CALL JQ_Get_Axis_Line_Acc(uint16_t line, int32_t* acc);
int32_t JQ_CALL JQ_M_Get_Axis_Line_Dec(int32_t slot, uint16_t line, int32_t* dec);
int32_t JQ_CALL JQ_Get_Axis_Line_Dec(uint16_t line, int32_t* dec);
int32_t JQ_CALL JQ_M_Get_Axis_Line_V(int32_t slot, uint16_t line, int32_t* speed);
int32_t JQ_CALL JQ_Get_Axis_Line_V(uint16_t line, int32_t* speed);
int32_t JQ_CALL JQ_M_Get_Axis_Circle_Num(int32_t slot, int32_t* num);
int32_t JQ_CALL JQ_Get_Axis_Circle_Num(int32_t* num);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_Axis(int32_t slot, uint16_t circle, int32_t axis1, int32_t axis2);
int32_t JQ_CALL JQ_Set_Axis_Circle_Axis(uint16_t circle, int32_t axis1, int32_t axis2);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_Acc(int32_t slot, uint16_t circle, int32_t acc);
int32_t JQ_CALL JQ_Set_Axis_Circle_Acc(uint16_t circle, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_Dec(int32_t slot, uint16_t circle, int32_t dec);
int32_t JQ_CALL JQ_Set_Axis_Circle_Dec(uint16_t circle, int32_t dec);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_V(int32_t slot, uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Circle_V(uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_V_Start(int32_t slot, uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_Set_Axis_Circle_V_Start(uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_R_CW_Run_Rel(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Axis_Circle_R_CW_Run_Rel(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_R_CW_Run_Abs(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Axis_Circle_R_CW_Run_Abs(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_R_CCW_Run_Rel(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Axis_Circle_R_CCW_Run_Rel(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_R_CCW_Run_Abs(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Axis_Circle_R_CCW_Run_Abs(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_Stop(int32_t slot, uint16_t circle);
int32_t JQ_CALL JQ_Set_Axis_Circle_Stop(uint16_t circle);
int32_t JQ_CALL JQ_M_Set_Axis_Circle_Halt(int32_t slot, uint16_t circle);
int32_t JQ_CALL JQ_Set_Axis_Circle_Halt(uint16_t circle);
int32_t JQ_CALL JQ_M_Get_Axis_Circle_Status(int32_t slot, uint16_t circle, int32_t* status);
int32_t JQ_CALL JQ_Get_Axis_Circle_Status(uint16_t circle, int32_t* status);
int32_t JQ_CALL JQ_M_Get_Axis_Circle_Axis(int32_t slot, uint16_t circle, int32_t* axis1, int32_t* axis2);
int32_t JQ_CALL JQ_Get_Axis_Circle_Axis(uint16_t circle, int32_t* axis1, int32_t* axis2);
int32_t JQ_CALL JQ_M_Get_Axis_Circle_Acc(int32_t slot, uint16_t circle, int32_t* acc);
int32_t JQ_CALL JQ_Get_Axis_Circle_Acc(uint16_t circle, int32_t* acc);
int32_t JQ_CALL JQ_M_Get_Axis_Circle_Dec(int32_t slot, uint16_t circle, int32_t* dec);
int32_t JQ_CALL JQ_Get_Axis_Circle_Dec(uint16_t circle, int32_t* dec);
int32_t JQ_CALL JQ_M_Get_Axis_Circle_V(int32_t slot, uint16_t circle, int32_t* speed);
int32_t JQ_CALL JQ_Get_Axis_Circle_V(uint16_t circle, int32_t* speed);
int32_t JQ_CALL JQ_M_Set_Axis_Line_X_Count(int32_t slot, uint16_t line, int32_t count);
int32_t JQ_CALL JQ_Set_Axis_Line_X_Count(uint16_t line, int32_t count);
int32_t JQ_CALL JQ_M_Set_Axis_Line_X_Axis(int32_t slot, uint16_t line, int32_t item, int32_t axis);
int32_t JQ_CALL JQ_Set_Axis_Line_X_Axis(uint16_t line, int32_t item, int32_t axis);
int32_t JQ_CALL JQ_M_Set_Axis_Line_X_Target_Rel(int32_t slot, uint16_t line, int32_t item, int32_t target);
int32_t JQ_CALL JQ_Set_Axis_Line_X_Target_Rel(uint16_t line, int32_t item, int32_t target);
int32_t JQ_CALL JQ_M_Set_Axis_Line_X_Target_Abs(int32_t slot, uint16_t line, int32_t item, int32_t target);
int32_t JQ_CALL JQ_Set_Axis_Line_X_Target_Abs(uint16_t line, int32_t item, int32_t target);
int32_t JQ_CALL JQ_M_Set_Axis_Line_X_Run_Rel(int32_t slot, uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_Set_Axis_Line_X_Run_Rel(uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_M_Set_Axis_Line_X_Run_Abs(int32_t slot, uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_Set_Axis_Line_X_Run_Abs(uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);

/* ---- Stream (queued motion) buffer ---- */
/* Byte-sized numbers and axis counts as for the interpolators above. */
int32_t JQ_CALL JQ_M_Set_Stream_Run(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Run(void);
int32_t JQ_CALL JQ_M_Set_Stream_Pause(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Pause(void);
int32_t JQ_CALL JQ_M_Set_Stream_Stop(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Stop(void);
int32_t JQ_CALL JQ_M_Set_Stream_Clear(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Clear(void);
int32_t JQ_CALL JQ_M_Get_Stream_Space(int32_t slot, int32_t* space);
int32_t JQ_CALL JQ_Get_Stream_Space(int32_t* space);
int32_t JQ_CALL JQ_M_Set_Stream_Delay(int32_t slot, int32_t delay);
int32_t JQ_CALL JQ_Set_Stream_Delay(int32_t delay);
int32_t JQ_CALL JQ_M_Set_Stream_Line_Acc(int32_t slot, uint16_t line, int32_t acc);
int32_t JQ_CALL JQ_Set_Stream_Line_Acc(uint16_t line, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Stream_Line_Dec(int32_t slot, uint16_t line, int32_t dec);
int32_t JQ_CALL JQ_Set_Stream_Line_Dec(uint16_t line, int32_t dec);
int32_t JQ_CALL JQ_M_Set_Stream_Line_V_Max(int32_t slot, uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_Set_Stream_Line_V_Max(uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Stream_Line_V_Start(int32_t slot, uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_Set_Stream_Line_V_Start(uint16_t line, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Stream_Line_X_Run_Rel(int32_t slot, uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_Set_Stream_Line_X_Run_Rel(uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_M_Set_Stream_Line_X_Run_Abs(int32_t slot, uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_Set_Stream_Line_X_Run_Abs(uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets);
int32_t JQ_CALL JQ_M_Set_Stream_Line_Stop(int32_t slot, uint16_t line);
int32_t JQ_CALL JQ_Set_Stream_Line_Stop(uint16_t line);
int32_t JQ_CALL JQ_M_Set_Stream_Line_Halt(int32_t slot, uint16_t line);
int32_t JQ_CALL JQ_Set_Stream_Line_Halt(uint16_t line);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_Axis(int32_t slot, uint16_t circle, int32_t axis1, int32_t axis2);
int32_t JQ_CALL JQ_Set_Stream_Circle_Axis(uint16_t circle, int32_t axis1, int32_t axis2);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_Acc(int32_t slot, uint16_t circle, int32_t acc);
int32_t JQ_CALL JQ_Set_Stream_Circle_Acc(uint16_t circle, int32_t acc);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_Dec(int32_t slot, uint16_t circle, int32_t dec);
int32_t JQ_CALL JQ_Set_Stream_Circle_Dec(uint16_t circle, int32_t dec);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_V_Max(int32_t slot, uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_Set_Stream_Circle_V_Max(uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_V_Start(int32_t slot, uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_Set_Stream_Circle_V_Start(uint16_t circle, int32_t speed);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_R_CW_Run_Rel(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Stream_Circle_R_CW_Run_Rel(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_R_CW_Run_Abs(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Stream_Circle_R_CW_Run_Abs(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_R_CCW_Run_Rel(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Stream_Circle_R_CCW_Run_Rel(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_R_CCW_Run_Abs(int32_t slot, uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_Set_Stream_Circle_R_CCW_Run_Abs(uint16_t circle, int32_t r, int32_t end1, int32_t end2);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_Stop(int32_t slot, uint16_t circle);
int32_t JQ_CALL JQ_Set_Stream_Circle_Stop(uint16_t circle);
int32_t JQ_CALL JQ_M_Set_Stream_Circle_Halt(int32_t slot, uint16_t circle);
int32_t JQ_CALL JQ_Set_Stream_Circle_Halt(uint16_t circle);
int32_t JQ_CALL JQ_M_Set_Stream_Wait_Line(int32_t slot, uint16_t line);
int32_t JQ_CALL JQ_Set_Stream_Wait_Line(uint16_t line);
int32_t JQ_CALL JQ_M_Set_Stream_Wait_Circle(int32_t slot, uint16_t circle);
int32_t JQ_CALL JQ_Set_Stream_Wait_Circle(uint16_t circle);
int32_t JQ_CALL JQ_M_Set_Stream_OC_Out_Single(int32_t slot, uint16_t output, int32_t state);
int32_t JQ_CALL JQ_Set_Stream_OC_Out_Single(uint16_t output, int32_t state);
int32_t JQ_CALL JQ_M_Set_Stream_OC_Out_All(int32_t slot, int32_t bits);
int32_t JQ_CALL JQ_Set_Stream_OC_Out_All(int32_t bits);
int32_t JQ_CALL JQ_M_Set_Stream_Optic_Out_Single(int32_t slot, uint16_t output, int32_t state);
int32_t JQ_CALL JQ_Set_Stream_Optic_Out_Single(uint16_t output, int32_t state);
int32_t JQ_CALL JQ_M_Set_Stream_Optic_Out_All(int32_t slot, int32_t bits);
int32_t JQ_CALL JQ_Set_Stream_Optic_Out_All(int32_t bits);
int32_t JQ_CALL JQ_M_Set_Stream_Dec_Enable(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Dec_Enable(void);
int32_t JQ_CALL JQ_M_Set_Stream_Dec_Disable(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Dec_Disable(void);
int32_t JQ_CALL JQ_M_Get_Stream_Total(int32_t slot, int32_t* total);
int32_t JQ_CALL JQ_Get_Stream_Total(int32_t* total);
int32_t JQ_CALL JQ_M_Get_Stream_Count(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_Stream_Count(int32_t* count);
int32_t JQ_CALL JQ_M_Set_Stream_Wait_Optic_In(int32_t slot, uint16_t input, int32_t level);
int32_t JQ_CALL JQ_Set_Stream_Wait_Optic_In(uint16_t input, int32_t level);
int32_t JQ_CALL JQ_M_Set_Stream_Run_Check(int32_t slot);
int32_t JQ_CALL JQ_Set_Stream_Run_Check(void);
int32_t JQ_CALL JQ_M_Set_Stream_Run_ID(int32_t slot, int32_t id);
int32_t JQ_CALL JQ_Set_Stream_Run_ID(int32_t id);
int32_t JQ_CALL JQ_M_Get_Stream_Run_ID(int32_t slot, int32_t* id);
int32_t JQ_CALL JQ_Get_Stream_Run_ID(int32_t* id);

/* ---- Digital inputs and outputs, OC outputs, analog inputs, temperature and PWM ---- */
int32_t JQ_CALL JQ_M_Get_Optic_In_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_Optic_In_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Get_Optic_In_Single(int32_t slot, uint16_t channel, int32_t* state);
int32_t JQ_CALL JQ_Get_Optic_In_Single(uint16_t channel, int32_t* state);
int32_t JQ_CALL JQ_M_Get_Optic_In_All(int32_t slot, int32_t* bits);
int32_t JQ_CALL JQ_Get_Optic_In_All(int32_t* bits);
int32_t JQ_CALL JQ_M_Get_Optic_In_Basic_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_Optic_In_Basic_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Get_Optic_Out_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_Optic_Out_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Set_Optic_Out_Single(int32_t slot, uint16_t channel, int32_t state);
int32_t JQ_CALL JQ_Set_Optic_Out_Single(uint16_t channel, int32_t state);
int32_t JQ_CALL JQ_M_Set_Optic_Out_All(int32_t slot, int32_t bits);
int32_t JQ_CALL JQ_Set_Optic_Out_All(int32_t bits);
int32_t JQ_CALL JQ_M_Get_Optic_Out_Single(int32_t slot, uint16_t channel, int32_t* state);
int32_t JQ_CALL JQ_Get_Optic_Out_Single(uint16_t channel, int32_t* state);
int32_t JQ_CALL JQ_M_Get_Optic_Out_All(int32_t slot, int32_t* bits);
int32_t JQ_CALL JQ_Get_Optic_Out_All(int32_t* bits);
int32_t JQ_CALL JQ_M_Get_OC_Out_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_OC_Out_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Set_OC_Out_Single(int32_t slot, uint16_t channel, int32_t state);
int32_t JQ_CALL JQ_Set_OC_Out_Single(uint16_t channel, int32_t state);
int32_t JQ_CALL JQ_M_Set_OC_Out_All(int32_t slot, int32_t bits);
int32_t JQ_CALL JQ_Set_OC_Out_All(int32_t bits);
int32_t JQ_CALL JQ_M_Get_OC_Out_Single(int32_t slot, uint16_t channel, int32_t* state);
int32_t JQ_CALL JQ_Get_OC_Out_Single(uint16_t channel, int32_t* state);
int32_t JQ_CALL JQ_M_Get_OC_Out_All(int32_t slot, int32_t* bits);
int32_t JQ_CALL JQ_Get_OC_Out_All(int32_t* bits);
int32_t JQ_CALL JQ_M_Get_Board_T(int32_t slot, int32_t* temperature);
int32_t JQ_CALL JQ_Get_Board_T(int32_t* temperature);
int32_t JQ_CALL JQ_M_Get_AD_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_AD_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Get_AD_Data(int32_t slot, uint16_t channel, int32_t* value);
int32_t JQ_CALL JQ_Get_AD_Data(uint16_t channel, int32_t* value);
int32_t JQ_CALL JQ_M_Get_T_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_T_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Get_T_Float(int32_t slot, uint16_t channel, float* temperature);
int32_t JQ_CALL JQ_Get_T_Float(uint16_t channel, float* temperature);
int32_t JQ_CALL JQ_M_Get_T(int32_t slot, uint16_t channel, int32_t* temperature);
int32_t JQ_CALL JQ_Get_T(uint16_t channel, int32_t* temperature);
int32_t JQ_CALL JQ_M_Get_PWM_Num(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_PWM_Num(int32_t* count);
int32_t JQ_CALL JQ_M_Set_PWM_F(int32_t slot, uint16_t channel, int32_t frequency);
int32_t JQ_CALL JQ_Set_PWM_F(uint16_t channel, int32_t frequency);
int32_t JQ_CALL JQ_M_Get_PWM_F(int32_t slot, uint16_t channel, int32_t* frequency);
int32_t JQ_CALL JQ_Get_PWM_F(uint16_t channel, int32_t* frequency);
int32_t JQ_CALL JQ_M_Set_PWM_F_Float(int32_t slot, uint16_t channel, float frequency);
int32_t JQ_CALL JQ_Set_PWM_F_Float(uint16_t channel, float frequency);
int32_t JQ_CALL JQ_M_Get_PWM_F_Float(int32_t slot, uint16_t channel, float* frequency);
int32_t JQ_CALL JQ_Get_PWM_F_Float(uint16_t channel, float* frequency);
int32_t JQ_CALL JQ_M_Set_PWM01(int32_t slot, uint16_t channel, int32_t duty);
int32_t JQ_CALL JQ_Set_PWM01(uint16_t channel, int32_t duty);
int32_t JQ_CALL JQ_M_Get_PWM01(int32_t slot, uint16_t channel, int32_t* duty);
int32_t JQ_CALL JQ_Get_PWM01(uint16_t channel, int32_t* duty);
int32_t JQ_CALL JQ_M_Set_PWM001(int32_t slot, uint16_t channel, int32_t duty);
int32_t JQ_CALL JQ_Set_PWM001(uint16_t channel, int32_t duty);
int32_t JQ_CALL JQ_M_Get_PWM001(int32_t slot, uint16_t channel, int32_t* duty);
int32_t JQ_CALL JQ_Get_PWM001(uint16_t channel, int32_t* duty);
int32_t JQ_CALL JQ_M_Set_PWM_Float(int32_t slot, uint16_t channel, float duty);
int32_t JQ_CALL JQ_Set_PWM_Float(uint16_t channel, float duty);
int32_t JQ_CALL JQ_M_Get_PWM_Float(int32_t slot, uint16_t channel, float* duty);
int32_t JQ_CALL JQ_Get_PWM_Float(uint16_t channel, float* duty);

/* ---- Encoders and position triggers ---- */
int32_t JQ_CALL JQ_M_Get_Encoder_Num(int32_t slot, int32_t* num);
int32_t JQ_CALL JQ_Get_Encoder_Num(int32_t* num);
int32_t JQ_CALL JQ_M_Get_Encoder_Pos(int32_t slot, uint16_t encoder, int32_t* pos);
int32_t JQ_CALL JQ_Get_Encoder_Pos(uint16_t encoder, int32_t* pos);
int32_t JQ_CALL JQ_M_Set_Encoder_Pos(int32_t slot, uint16_t encoder, int32_t pos);
int32_t JQ_CALL JQ_Set_Encoder_Pos(uint16_t encoder, int32_t pos);
int32_t JQ_CALL JQ_M_Set_Encoder_Z_Polarity(int32_t slot, uint16_t encoder, int32_t polarity);
int32_t JQ_CALL JQ_Set_Encoder_Z_Polarity(uint16_t encoder, int32_t polarity);
int32_t JQ_CALL JQ_M_Set_Encoder_Dir_Polarity(int32_t slot, uint16_t encoder, int32_t polarity);
int32_t JQ_CALL JQ_Set_Encoder_Dir_Polarity(uint16_t encoder, int32_t polarity);
int32_t JQ_CALL JQ_M_Get_Encoder_Index_Line_Count(int32_t slot, uint16_t encoder, int32_t* count);
int32_t JQ_CALL JQ_Get_Encoder_Index_Line_Count(uint16_t encoder, int32_t* count);
int32_t JQ_CALL JQ_M_Set_Encoder_Over_Enable(int32_t slot, uint16_t encoder, int32_t enable);
int32_t JQ_CALL JQ_Set_Encoder_Over_Enable(uint16_t encoder, int32_t enable);
int32_t JQ_CALL JQ_M_Set_Encoder_Over_Max(int32_t slot, uint16_t encoder, int32_t max);
int32_t JQ_CALL JQ_Set_Encoder_Over_Max(uint16_t encoder, int32_t max);
int32_t JQ_CALL JQ_M_Set_Encoder_Over_Stable(int32_t slot, uint16_t encoder, int32_t stable);
int32_t JQ_CALL JQ_Set_Encoder_Over_Stable(uint16_t encoder, int32_t stable);
int32_t JQ_CALL JQ_M_Set_Trigger_Enable(int32_t slot, uint16_t trigger, int32_t enable);
int32_t JQ_CALL JQ_Set_Trigger_Enable(uint16_t trigger, int32_t enable);
int32_t JQ_CALL JQ_M_Get_Trigger_Enable(int32_t slot, uint16_t trigger, int32_t* enable);
int32_t JQ_CALL JQ_Get_Trigger_Enable(uint16_t trigger, int32_t* enable);
int32_t JQ_CALL JQ_M_Set_Trigger_Start(int32_t slot, uint16_t trigger, int32_t pos);
int32_t JQ_CALL JQ_Set_Trigger_Start(uint16_t trigger, int32_t pos);
int32_t JQ_CALL JQ_M_Get_Trigger_Start(int32_t slot, uint16_t trigger, int32_t* pos);
int32_t JQ_CALL JQ_Get_Trigger_Start(uint16_t trigger, int32_t* pos);
int32_t JQ_CALL JQ_M_Set_Trigger_End(int32_t slot, uint16_t trigger, int32_t pos);
int32_t JQ_CALL JQ_Set_Trigger_End(uint16_t trigger, int32_t pos);
int32_t JQ_CALL JQ_M_Get_Trigger_End(int32_t slot, uint16_t trigger, int32_t* pos);
int32_t JQ_CALL JQ_Get_Trigger_End(uint16_t trigger, int32_t* pos);
int32_t JQ_CALL JQ_M_Set_Trigger_Step(int32_t slot, uint16_t trigger, int32_t step);
int32_t JQ_CALL JQ_Set_Trigger_Step(uint16_t trigger, int32_t step);
int32_t JQ_CALL JQ_M_Get_Trigger_Step(int32_t slot, uint16_t trigger, int32_t* step);
int32_t JQ_CALL JQ_Get_Trigger_Step(uint16_t trigger, int32_t* step);
int32_t JQ_CALL JQ_M_Set_Trigger_Width(int32_t slot, uint16_t trigger, int32_t width);
int32_t JQ_CALL JQ_Set_Trigger_Width(uint16_t trigger, int32_t width);
int32_t JQ_CALL JQ_M_Get_Trigger_Width(int32_t slot, uint16_t trigger, int32_t* width);
int32_t JQ_CALL JQ_Get_Trigger_Width(uint16_t trigger, int32_t* width);
int32_t JQ_CALL JQ_M_Set_Trigger_Channel(int32_t slot, uint16_t trigger, int32_t channel);
int32_t JQ_CALL JQ_Set_Trigger_Channel(uint16_t trigger, int32_t channel);
int32_t JQ_CALL JQ_M_Get_Trigger_Channel(int32_t slot, uint16_t trigger, int32_t* channel);
int32_t JQ_CALL JQ_Get_Trigger_Channel(uint16_t trigger, int32_t* channel);
int32_t JQ_CALL JQ_M_Set_Trigger_Polarity(int32_t slot, uint16_t trigger, int32_t polarity);
int32_t JQ_CALL JQ_Set_Trigger_Polarity(uint16_t trigger, int32_t polarity);
int32_t JQ_CALL JQ_M_Get_Trigger_Polarity(int32_t slot, uint16_t trigger, int32_t* polarity);
int32_t JQ_CALL JQ_Get_Trigger_Polarity(uint16_t trigger, int32_t* polarity);

/* ---- PLC and parameter and system memory ---- */
/* Memory data getters write one byte (0 on failure).
 * The two ratio getters read the same controller value; both write 1.0 on failure. */
int32_t JQ_CALL JQ_M_Get_Param_Mem_Len(int32_t slot, int32_t* len);
int32_t JQ_CALL JQ_Get_Param_Mem_Len(int32_t* len);
int32_t JQ_CALL JQ_M_Get_Param_Mem_Data(int32_t slot, uint16_t address, uint8_t* data);
int32_t JQ_CALL JQ_Get_Param_Mem_Data(uint16_t address, uint8_t* data);
int32_t JQ_CALL JQ_M_Set_Param_Mem_Data(int32_t slot, uint16_t address, uint8_t data);
int32_t JQ_CALL JQ_Set_Param_Mem_Data(uint16_t address, uint8_t data);
int32_t JQ_CALL JQ_M_Get_System_Mem_Len(int32_t slot, int32_t* len);
int32_t JQ_CALL JQ_Get_System_Mem_Len(int32_t* len);
int32_t JQ_CALL JQ_M_Get_System_Mem_Data(int32_t slot, uint16_t address, uint8_t* data);
int32_t JQ_CALL JQ_Get_System_Mem_Data(uint16_t address, uint8_t* data);
int32_t JQ_CALL JQ_M_Set_System_Mem_Data(int32_t slot, uint16_t address, uint8_t data);
int32_t JQ_CALL JQ_Set_System_Mem_Data(uint16_t address, uint8_t data);
int32_t JQ_CALL JQ_M_Get_PLC_Var_Num(int32_t slot, int32_t* num);
int32_t JQ_CALL JQ_Get_PLC_Var_Num(int32_t* num);
int32_t JQ_CALL JQ_M_Get_PLC_Var_Data(int32_t slot, uint16_t var, int32_t* value);
int32_t JQ_CALL JQ_Get_PLC_Var_Data(uint16_t var, int32_t* value);
int32_t JQ_CALL JQ_M_Set_PLC_Var_Data(int32_t slot, uint16_t var, int32_t value);
int32_t JQ_CALL JQ_Set_PLC_Var_Data(uint16_t var, int32_t value);
int32_t JQ_CALL JQ_M_Set_PLC_Pause(int32_t slot);
int32_t JQ_CALL JQ_Set_PLC_Pause(void);
int32_t JQ_CALL JQ_M_Set_PLC_Stop(int32_t slot);
int32_t JQ_CALL JQ_Set_PLC_Stop(void);
int32_t JQ_CALL JQ_M_Set_PLC_Run(int32_t slot);
int32_t JQ_CALL JQ_Set_PLC_Run(void);
int32_t JQ_CALL JQ_M_Set_PLC_Data(int32_t slot, uint16_t position, uint8_t data);
int32_t JQ_CALL JQ_Set_PLC_Data(uint16_t position, uint8_t data);
int32_t JQ_CALL JQ_M_Get_PLC_Code_Size(int32_t slot, int32_t* size);
int32_t JQ_CALL JQ_Get_PLC_Code_Size(int32_t* size);
int32_t JQ_CALL JQ_M_Get_PLC_Task_Count(int32_t slot, int32_t* count);
int32_t JQ_CALL JQ_Get_PLC_Task_Count(int32_t* count);
int32_t JQ_CALL JQ_M_Get_PLC_Task_Status(int32_t slot, uint16_t task, int32_t* status);
int32_t JQ_CALL JQ_Get_PLC_Task_Status(uint16_t task, int32_t* status);
int32_t JQ_CALL JQ_M_Get_PLC_Var_Seg(int32_t slot, int32_t* seg);
int32_t JQ_CALL JQ_Get_PLC_Var_Seg(int32_t* seg);
int32_t JQ_CALL JQ_M_Get_PLC_Var_Used(int32_t slot, int32_t* used);
int32_t JQ_CALL JQ_Get_PLC_Var_Used(int32_t* used);
int32_t JQ_CALL JQ_M_Get_PLC_Status(int32_t slot, int32_t* status);
int32_t JQ_CALL JQ_Get_PLC_Status(int32_t* status);
int32_t JQ_CALL JQ_M_Get_PLC_Tasks_Status(int32_t slot, int32_t* status);
int32_t JQ_CALL JQ_Get_PLC_Tasks_Status(int32_t* status);
int32_t JQ_CALL JQ_M_Get_PLC_Axis_Ratio(int32_t slot, uint16_t axis, float* ratio);
int32_t JQ_CALL JQ_Get_PLC_Axis_Ratio(uint16_t axis, float* ratio);
int32_t JQ_CALL JQ_M_Get_PLC_Encoder_Ratio(int32_t slot, uint16_t encoder, float* ratio);
int32_t JQ_CALL JQ_Get_PLC_Encoder_Ratio(uint16_t encoder, float* ratio);

/* ---- Unit conversion (no device) ---- */
/* Pure calculations: they need no JQ_Init and are safe from any thread. */
/* Counts are rounded half to even. A division by zero, a value that is not finite,
 * or a count outside the 32-bit range gives the default: 0, 0.0, or 1.0 for factors. */
int32_t JQ_CALL JQ_Help_Step_Line_Real_To_Steps(double step_angle, int32_t divide, double lead, double ratio, double value);
int32_t JQ_CALL JQ_Help_Step_Circle_Real_To_Steps(double step_angle, int32_t divide, double ratio, double value);
double JQ_CALL JQ_Help_Step_Line_Steps_To_Real(double step_angle, int32_t divide, double lead, double ratio, int32_t steps);
double JQ_CALL JQ_Help_Step_Circle_Steps_To_Real(double step_angle, int32_t divide, double ratio, int32_t steps);
int32_t JQ_CALL JQ_Help_Encoder_Line_Real_To_Steps(double lead, double ratio, int32_t lines, double value);
int32_t JQ_CALL JQ_Help_Encoder_Circle_Real_To_Steps(double ratio, int32_t lines, double value);
double JQ_CALL JQ_Help_Encoder_Line_Steps_To_Real(double lead, double ratio, int32_t lines, int32_t steps);
double JQ_CALL JQ_Help_Encoder_Circle_Steps_To_Real(double ratio, int32_t lines, int32_t steps);
int32_t JQ_CALL JQ_Help_Grating_Line_Real_To_Steps(double period, double value);
int32_t JQ_CALL JQ_Help_Grating_Circle_Real_To_Steps(int32_t lines, double value);
double JQ_CALL JQ_Help_Grating_Line_Steps_To_Real(double period, int32_t steps);
double JQ_CALL JQ_Help_Grating_Circle_Steps_To_Real(int32_t lines, int32_t steps);
float JQ_CALL JQ_Help_Encoder_Factor(double step_angle, int32_t divide, int32_t lines);
float JQ_CALL JQ_Help_Grating_Line_Factor(double step_angle, int32_t divide, double lead, double ratio, double period);
float JQ_CALL JQ_Help_Grating_Circle_Factor(double step_angle, int32_t divide, double ratio, int32_t lines);

#ifdef __cplusplus
}
#endif

#endif /* JQ_API_H */
