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
int32_t JQ_CALL JQ_M_Open_Net(int32_t slot, uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint16_t port);
int32_t JQ_CALL JQ_Open_Net(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint16_t port);
int32_t JQ_CALL JQ_M_Open_Net_Name(int32_t slot, const char* host, uint16_t port);
int32_t JQ_CALL JQ_Open_Net_Name(const char* host, uint16_t port);
int32_t JQ_CALL JQ_M_Close_Net(int32_t slot);
int32_t JQ_CALL JQ_Close_Net(void);

/* ---- Product information and presence check ---- */
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

/* ---- Stream (queued motion) buffer ---- */

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

/* ---- PLC and parameter and system memory ---- */

/* ---- Unit conversion (no device) ---- */

#ifdef __cplusplus
}
#endif

#endif /* JQ_API_H */
