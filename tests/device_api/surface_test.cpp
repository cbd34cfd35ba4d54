// The library's whole export surface: every documented function is exported, nothing
// else is, and the public header declares exactly these and compiles as C.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "include/JQ_API.h"

extern "C" int jq_surface_c_calls(void);

namespace {

// Every export, slot form and slot-0 form.
const std::vector<std::string> kExports = {
    // Lifecycle
    "JQ_Init", "JQ_DeInit", "JQ_Get_Dll_Version", "JQ_Set_Thread_Timeout",
    // Serial link
    "JQ_M_Open_UART", "JQ_Open_UART",
    "JQ_M_Open_UART_Unicode", "JQ_Open_UART_Unicode",
    "JQ_Open_UART_ID",
    "JQ_M_Close_UART", "JQ_Close_UART",
    // USB link
    "JQ_M_Open_USB", "JQ_Open_USB",
    "JQ_M_Open_USB_SN",
    "JQ_M_Close_USB", "JQ_Close_USB",
    "JQ_M_Get_Push_Data", "JQ_Get_Push_Data",
    // Network link
    "JQ_M_Open_Net", "JQ_Open_Net",
    "JQ_M_Open_Net_Name", "JQ_Open_Net_Name",
    "JQ_M_Close_Net", "JQ_Close_Net",
    // Product information
    "JQ_M_Check", "JQ_Check",
    "JQ_M_Get_Product_Resource", "JQ_Get_Product_Resource",
    "JQ_M_Get_Product_ID", "JQ_Get_Product_ID",
    "JQ_M_Get_Product_SN", "JQ_Get_Product_SN",
    "JQ_M_Get_Product_SN2", "JQ_Get_Product_SN2",
    "JQ_M_Get_Product_SN3", "JQ_Get_Product_SN3",
    "JQ_M_Get_Product_Version", "JQ_Get_Product_Version",
    "JQ_M_Get_Product_Version2", "JQ_Get_Product_Version2",
    // Single-axis motion
    "JQ_M_Get_Axis_Num", "JQ_Get_Axis_Num",
    "JQ_M_Get_Axis_Acc", "JQ_Get_Axis_Acc",
    "JQ_M_Set_Axis_Acc", "JQ_Set_Axis_Acc",
    "JQ_M_Get_Axis_Dec", "JQ_Get_Axis_Dec",
    "JQ_M_Set_Axis_Dec", "JQ_Set_Axis_Dec",
    "JQ_M_Get_Axis_Mode", "JQ_Get_Axis_Mode",
    "JQ_M_Set_Axis_Mode_Velocity", "JQ_Set_Axis_Mode_Velocity",
    "JQ_M_Set_Axis_Mode_Position", "JQ_Set_Axis_Mode_Position",
    "JQ_M_Set_Axis_Mode_Position_Open", "JQ_Set_Axis_Mode_Position_Open",
    "JQ_M_Set_Axis_Mode_Position_Close", "JQ_Set_Axis_Mode_Position_Close",
    "JQ_M_Get_Axis_Velocity_V_Target", "JQ_Get_Axis_Velocity_V_Target",
    "JQ_M_Set_Axis_Velocity_V_Target_Abs", "JQ_Set_Axis_Velocity_V_Target_Abs",
    "JQ_M_Set_Axis_Velocity_V_Target_Rel", "JQ_Set_Axis_Velocity_V_Target_Rel",
    "JQ_M_Set_Axis_Velocity_Stop", "JQ_Set_Axis_Velocity_Stop",
    "JQ_M_Get_Axis_Position_V_Max", "JQ_Get_Axis_Position_V_Max",
    "JQ_M_Set_Axis_Position_V_Max", "JQ_Set_Axis_Position_V_Max",
    "JQ_M_Get_Axis_Position_P_Target", "JQ_Get_Axis_Position_P_Target",
    "JQ_M_Set_Axis_Position_P_Target_Abs", "JQ_Set_Axis_Position_P_Target_Abs",
    "JQ_M_Set_Axis_Position_P_Target_Rel", "JQ_Set_Axis_Position_P_Target_Rel",
    "JQ_M_Set_Axis_Position_Stop", "JQ_Set_Axis_Position_Stop",
    "JQ_M_Set_Axis_Position_Close_Dec_Factor", "JQ_Set_Axis_Position_Close_Dec_Factor",
    "JQ_M_Set_Axis_Halt", "JQ_Set_Axis_Halt",
    "JQ_M_Set_Axis_Halt_All", "JQ_Set_Axis_Halt_All",
    "JQ_M_Get_Axis_V_Now", "JQ_Get_Axis_V_Now",
    "JQ_M_Get_Axis_Software_P_Now", "JQ_Get_Axis_Software_P_Now",
    "JQ_M_Set_Axis_Software_P", "JQ_Set_Axis_Software_P",
    "JQ_M_Get_Axis_Status", "JQ_Get_Axis_Status",
    "JQ_M_Get_Axis_Status2", "JQ_Get_Axis_Status2",
    "JQ_M_Get_Axis_Status_Run", "JQ_Get_Axis_Status_Run",
    "JQ_M_Get_Axis_Status_Dir", "JQ_Get_Axis_Status_Dir",
    "JQ_M_Get_Axis_Status_Neg", "JQ_Get_Axis_Status_Neg",
    "JQ_M_Get_Axis_Status_Pos", "JQ_Get_Axis_Status_Pos",
    "JQ_M_Get_Axis_Status_Zero", "JQ_Get_Axis_Status_Zero",
    "JQ_M_Get_Axis_Status_Mode", "JQ_Get_Axis_Status_Mode",
    "JQ_M_Get_Axis_P_Now", "JQ_Get_Axis_P_Now",
    "JQ_M_Get_Axis_Software_P", "JQ_Get_Axis_Software_P",
    "JQ_M_Set_Axis_Software_P_Now", "JQ_Set_Axis_Software_P_Now",
    "JQ_M_Set_Axis_P_Now", "JQ_Set_Axis_P_Now",
    // Homing, limits, ramps
    "JQ_M_Set_Axis_Mode_Home", "JQ_Set_Axis_Mode_Home",
    "JQ_M_Set_Axis_Mode_Home_Home_Switch", "JQ_Set_Axis_Mode_Home_Home_Switch",
    "JQ_M_Set_Axis_Mode_Home_Encoder_Index", "JQ_Set_Axis_Mode_Home_Encoder_Index",
    "JQ_M_Set_Axis_Mode_Home_Encoder_Home_Switch", "JQ_Set_Axis_Mode_Home_Encoder_Home_Switch",
    "JQ_M_Set_Axis_Mode_Home_Home_Zero", "JQ_Set_Axis_Mode_Home_Home_Zero",
    "JQ_M_Set_Axis_Home_V", "JQ_Set_Axis_Home_V",
    "JQ_M_Set_Axis_Home_Stop", "JQ_Set_Axis_Home_Stop",
    "JQ_M_Set_Axis_Software_Limit_Neg_Value", "JQ_Set_Axis_Software_Limit_Neg_Value",
    "JQ_M_Set_Axis_Software_Limit_Pos_Value", "JQ_Set_Axis_Software_Limit_Pos_Value",
    "JQ_M_Set_Axis_Software_Limit_Enable", "JQ_Set_Axis_Software_Limit_Enable",
    "JQ_M_Set_Axis_Software_Limit_Disable", "JQ_Set_Axis_Software_Limit_Disable",
    "JQ_M_Set_Axis_Home_V_Start", "JQ_Set_Axis_Home_V_Start",
    "JQ_M_Set_Axis_Home_Acc", "JQ_Set_Axis_Home_Acc",
    "JQ_M_Set_Axis_Home_Dec", "JQ_Set_Axis_Home_Dec",
    "JQ_M_Get_Axis_Home_Acc", "JQ_Get_Axis_Home_Acc",
    "JQ_M_Get_Axis_Home_Dec", "JQ_Get_Axis_Home_Dec",
    "JQ_M_Set_Axis_Velocity_V_Start", "JQ_Set_Axis_Velocity_V_Start",
    "JQ_M_Set_Axis_Velocity_Acc", "JQ_Set_Axis_Velocity_Acc",
    "JQ_M_Set_Axis_Velocity_Dec", "JQ_Set_Axis_Velocity_Dec",
    "JQ_M_Get_Axis_Velocity_Acc", "JQ_Get_Axis_Velocity_Acc",
    "JQ_M_Get_Axis_Velocity_Dec", "JQ_Get_Axis_Velocity_Dec",
    "JQ_M_Set_Axis_Position_V_Start", "JQ_Set_Axis_Position_V_Start",
    "JQ_M_Set_Axis_Position_Acc", "JQ_Set_Axis_Position_Acc",
    "JQ_M_Set_Axis_Position_Dec", "JQ_Set_Axis_Position_Dec",
    "JQ_M_Get_Axis_Position_Acc", "JQ_Get_Axis_Position_Acc",
    "JQ_M_Get_Axis_Position_Dec", "JQ_Get_Axis_Position_Dec",
    // Interpolation
    "JQ_M_Get_Axis_Line_Num", "JQ_Get_Axis_Line_Num",
    "JQ_M_Set_Axis_Line_Axis", "JQ_Set_Axis_Line_Axis",
    "JQ_M_Set_Axis_Line_Acc", "JQ_Set_Axis_Line_Acc",
    "JQ_M_Set_Axis_Line_Dec", "JQ_Set_Axis_Line_Dec",
    "JQ_M_Set_Axis_Line_V", "JQ_Set_Axis_Line_V",
    "JQ_M_Set_Axis_Line_V_Start", "JQ_Set_Axis_Line_V_Start",
    "JQ_M_Set_Axis_Line_Run", "JQ_Set_Axis_Line_Run",
    "JQ_M_Set_Axis_Line_Stop", "JQ_Set_Axis_Line_Stop",
    "JQ_M_Set_Axis_Line_Halt", "JQ_Set_Axis_Line_Halt",
    "JQ_M_Set_Axis_Line_Rel", "JQ_Set_Axis_Line_Rel",
    "JQ_M_Set_Axis_Line_Abs", "JQ_Set_Axis_Line_Abs",
    "JQ_M_Set_Axis_Line_Run_Rel", "JQ_Set_Axis_Line_Run_Rel",
    "JQ_M_Set_Axis_Line_Run_Abs", "JQ_Set_Axis_Line_Run_Abs",
    "JQ_M_Get_Axis_Line_Status", "JQ_Get_Axis_Line_Status",
    "JQ_M_Get_Axis_Line_Axis", "JQ_Get_Axis_Line_Axis",
    "JQ_M_Get_Axis_Line_Acc", "JQ_Get_Axis_Line_Acc",
    "JQ_M_Get_Axis_Line_Dec", "JQ_Get_Axis_Line_Dec",
    "JQ_M_Get_Axis_Line_V", "JQ_Get_Axis_Line_V",
    "JQ_M_Get_Axis_Circle_Num", "JQ_Get_Axis_Circle_Num",
    "JQ_M_Set_Axis_Circle_Axis", "JQ_Set_Axis_Circle_Axis",
    "JQ_M_Set_Axis_Circle_Acc", "JQ_Set_Axis_Circle_Acc",
    "JQ_M_Set_Axis_Circle_Dec", "JQ_Set_Axis_Circle_Dec",
    "JQ_M_Set_Axis_Circle_V", "JQ_Set_Axis_Circle_V",
    "JQ_M_Set_Axis_Circle_V_Start", "JQ_Set_Axis_Circle_V_Start",
    "JQ_M_Set_Axis_Circle_R_CW_Run_Rel", "JQ_Set_Axis_Circle_R_CW_Run_Rel",
    "JQ_M_Set_Axis_Circle_R_CW_Run_Abs", "JQ_Set_Axis_Circle_R_CW_Run_Abs",
    "JQ_M_Set_Axis_Circle_R_CCW_Run_Rel", "JQ_Set_Axis_Circle_R_CCW_Run_Rel",
    "JQ_M_Set_Axis_Circle_R_CCW_Run_Abs", "JQ_Set_Axis_Circle_R_CCW_Run_Abs",
    "JQ_M_Set_Axis_Circle_Stop", "JQ_Set_Axis_Circle_Stop",
    "JQ_M_Set_Axis_Circle_Halt", "JQ_Set_Axis_Circle_Halt",
    "JQ_M_Get_Axis_Circle_Status", "JQ_Get_Axis_Circle_Status",
    "JQ_M_Get_Axis_Circle_Axis", "JQ_Get_Axis_Circle_Axis",
    "JQ_M_Get_Axis_Circle_Acc", "JQ_Get_Axis_Circle_Acc",
    "JQ_M_Get_Axis_Circle_Dec", "JQ_Get_Axis_Circle_Dec",
    "JQ_M_Get_Axis_Circle_V", "JQ_Get_Axis_Circle_V",
    "JQ_M_Set_Axis_Line_X_Count", "JQ_Set_Axis_Line_X_Count",
    "JQ_M_Set_Axis_Line_X_Axis", "JQ_Set_Axis_Line_X_Axis",
    "JQ_M_Set_Axis_Line_X_Target_Rel", "JQ_Set_Axis_Line_X_Target_Rel",
    "JQ_M_Set_Axis_Line_X_Target_Abs", "JQ_Set_Axis_Line_X_Target_Abs",
    "JQ_M_Set_Axis_Line_X_Run_Rel", "JQ_Set_Axis_Line_X_Run_Rel",
    "JQ_M_Set_Axis_Line_X_Run_Abs", "JQ_Set_Axis_Line_X_Run_Abs",
    // Stream
    "JQ_M_Set_Stream_Run", "JQ_Set_Stream_Run",
    "JQ_M_Set_Stream_Pause", "JQ_Set_Stream_Pause",
    "JQ_M_Set_Stream_Stop", "JQ_Set_Stream_Stop",
    "JQ_M_Set_Stream_Clear", "JQ_Set_Stream_Clear",
    "JQ_M_Get_Stream_Space", "JQ_Get_Stream_Space",
    "JQ_M_Set_Stream_Delay", "JQ_Set_Stream_Delay",
    "JQ_M_Set_Stream_Line_Acc", "JQ_Set_Stream_Line_Acc",
    "JQ_M_Set_Stream_Line_Dec", "JQ_Set_Stream_Line_Dec",
    "JQ_M_Set_Stream_Line_V_Max", "JQ_Set_Stream_Line_V_Max",
    "JQ_M_Set_Stream_Line_V_Start", "JQ_Set_Stream_Line_V_Start",
    "JQ_M_Set_Stream_Line_X_Run_Rel", "JQ_Set_Stream_Line_X_Run_Rel",
    "JQ_M_Set_Stream_Line_X_Run_Abs", "JQ_Set_Stream_Line_X_Run_Abs",
    "JQ_M_Set_Stream_Line_Stop", "JQ_Set_Stream_Line_Stop",
    "JQ_M_Set_Stream_Line_Halt", "JQ_Set_Stream_Line_Halt",
    "JQ_M_Set_Stream_Circle_Axis", "JQ_Set_Stream_Circle_Axis",
    "JQ_M_Set_Stream_Circle_Acc", "JQ_Set_Stream_Circle_Acc",
    "JQ_M_Set_Stream_Circle_Dec", "JQ_Set_Stream_Circle_Dec",
    "JQ_M_Set_Stream_Circle_V_Max", "JQ_Set_Stream_Circle_V_Max",
    "JQ_M_Set_Stream_Circle_V_Start", "JQ_Set_Stream_Circle_V_Start",
    "JQ_M_Set_Stream_Circle_R_CW_Run_Rel", "JQ_Set_Stream_Circle_R_CW_Run_Rel",
    "JQ_M_Set_Stream_Circle_R_CW_Run_Abs", "JQ_Set_Stream_Circle_R_CW_Run_Abs",
    "JQ_M_Set_Stream_Circle_R_CCW_Run_Rel", "JQ_Set_Stream_Circle_R_CCW_Run_Rel",
    "JQ_M_Set_Stream_Circle_R_CCW_Run_Abs", "JQ_Set_Stream_Circle_R_CCW_Run_Abs",
    "JQ_M_Set_Stream_Circle_Stop", "JQ_Set_Stream_Circle_Stop",
    "JQ_M_Set_Stream_Circle_Halt", "JQ_Set_Stream_Circle_Halt",
    "JQ_M_Set_Stream_Wait_Line", "JQ_Set_Stream_Wait_Line",
    "JQ_M_Set_Stream_Wait_Circle", "JQ_Set_Stream_Wait_Circle",
    "JQ_M_Set_Stream_OC_Out_Single", "JQ_Set_Stream_OC_Out_Single",
    "JQ_M_Set_Stream_OC_Out_All", "JQ_Set_Stream_OC_Out_All",
    "JQ_M_Set_Stream_Optic_Out_Single", "JQ_Set_Stream_Optic_Out_Single",
    "JQ_M_Set_Stream_Optic_Out_All", "JQ_Set_Stream_Optic_Out_All",
    "JQ_M_Set_Stream_Dec_Enable", "JQ_Set_Stream_Dec_Enable",
    "JQ_M_Set_Stream_Dec_Disable", "JQ_Set_Stream_Dec_Disable",
    "JQ_M_Get_Stream_Total", "JQ_Get_Stream_Total",
    "JQ_M_Get_Stream_Count", "JQ_Get_Stream_Count",
    "JQ_M_Set_Stream_Wait_Optic_In", "JQ_Set_Stream_Wait_Optic_In",
    "JQ_M_Set_Stream_Run_Check", "JQ_Set_Stream_Run_Check",
    "JQ_M_Set_Stream_Run_ID", "JQ_Set_Stream_Run_ID",
    "JQ_M_Get_Stream_Run_ID", "JQ_Get_Stream_Run_ID",
    // Inputs, outputs, analog, PWM
    "JQ_M_Get_Optic_In_Num", "JQ_Get_Optic_In_Num",
    "JQ_M_Get_Optic_In_Single", "JQ_Get_Optic_In_Single",
    "JQ_M_Get_Optic_In_All", "JQ_Get_Optic_In_All",
    "JQ_M_Get_Optic_In_Basic_Num", "JQ_Get_Optic_In_Basic_Num",
    "JQ_M_Get_Optic_Out_Num", "JQ_Get_Optic_Out_Num",
    "JQ_M_Set_Optic_Out_Single", "JQ_Set_Optic_Out_Single",
    "JQ_M_Set_Optic_Out_All", "JQ_Set_Optic_Out_All",
    "JQ_M_Get_Optic_Out_Single", "JQ_Get_Optic_Out_Single",
    "JQ_M_Get_Optic_Out_All", "JQ_Get_Optic_Out_All",
    "JQ_M_Get_OC_Out_Num", "JQ_Get_OC_Out_Num",
    "JQ_M_Set_OC_Out_Single", "JQ_Set_OC_Out_Single",
    "JQ_M_Set_OC_Out_All", "JQ_Set_OC_Out_All",
    "JQ_M_Get_OC_Out_Single", "JQ_Get_OC_Out_Single",
    "JQ_M_Get_OC_Out_All", "JQ_Get_OC_Out_All",
    "JQ_M_Get_Board_T", "JQ_Get_Board_T",
    "JQ_M_Get_AD_Num", "JQ_Get_AD_Num",
    "JQ_M_Get_AD_Data", "JQ_Get_AD_Data",
    "JQ_M_Get_T_Num", "JQ_Get_T_Num",
    "JQ_M_Get_T_Float", "JQ_Get_T_Float",
    "JQ_M_Get_T", "JQ_Get_T",
    "JQ_M_Get_PWM_Num", "JQ_Get_PWM_Num",
    "JQ_M_Set_PWM_F", "JQ_Set_PWM_F",
    "JQ_M_Get_PWM_F", "JQ_Get_PWM_F",
    "JQ_M_Set_PWM_F_Float", "JQ_Set_PWM_F_Float",
    "JQ_M_Get_PWM_F_Float", "JQ_Get_PWM_F_Float",
    "JQ_M_Set_PWM01", "JQ_Set_PWM01",
    "JQ_M_Get_PWM01", "JQ_Get_PWM01",
    "JQ_M_Set_PWM001", "JQ_Set_PWM001",
    "JQ_M_Get_PWM001", "JQ_Get_PWM001",
    "JQ_M_Set_PWM_Float", "JQ_Set_PWM_Float",
    "JQ_M_Get_PWM_Float", "JQ_Get_PWM_Float",
    // Encoders and triggers
    "JQ_M_Get_Encoder_Num", "JQ_Get_Encoder_Num",
    "JQ_M_Get_Encoder_Pos", "JQ_Get_Encoder_Pos",
    "JQ_M_Set_Encoder_Pos", "JQ_Set_Encoder_Pos",
    "JQ_M_Set_Encoder_Z_Polarity", "JQ_Set_Encoder_Z_Polarity",
    "JQ_M_Set_Encoder_Dir_Polarity", "JQ_Set_Encoder_Dir_Polarity",
    "JQ_M_Get_Encoder_Index_Line_Count", "JQ_Get_Encoder_Index_Line_Count",
    "JQ_M_Set_Encoder_Over_Enable", "JQ_Set_Encoder_Over_Enable",
    "JQ_M_Set_Encoder_Over_Max", "JQ_Set_Encoder_Over_Max",
    "JQ_M_Set_Encoder_Over_Stable", "JQ_Set_Encoder_Over_Stable",
    "JQ_M_Set_Trigger_Enable", "JQ_Set_Trigger_Enable",
    "JQ_M_Get_Trigger_Enable", "JQ_Get_Trigger_Enable",
    "JQ_M_Set_Trigger_Start", "JQ_Set_Trigger_Start",
    "JQ_M_Get_Trigger_Start", "JQ_Get_Trigger_Start",
    "JQ_M_Set_Trigger_End", "JQ_Set_Trigger_End",
    "JQ_M_Get_Trigger_End", "JQ_Get_Trigger_End",
    "JQ_M_Set_Trigger_Step", "JQ_Set_Trigger_Step",
    "JQ_M_Get_Trigger_Step", "JQ_Get_Trigger_Step",
    "JQ_M_Set_Trigger_Width", "JQ_Set_Trigger_Width",
    "JQ_M_Get_Trigger_Width", "JQ_Get_Trigger_Width",
    "JQ_M_Set_Trigger_Channel", "JQ_Set_Trigger_Channel",
    "JQ_M_Get_Trigger_Channel", "JQ_Get_Trigger_Channel",
    "JQ_M_Set_Trigger_Polarity", "JQ_Set_Trigger_Polarity",
    "JQ_M_Get_Trigger_Polarity", "JQ_Get_Trigger_Polarity",
    // PLC and memories
    "JQ_M_Get_Param_Mem_Len", "JQ_Get_Param_Mem_Len",
    "JQ_M_Get_Param_Mem_Data", "JQ_Get_Param_Mem_Data",
    "JQ_M_Set_Param_Mem_Data", "JQ_Set_Param_Mem_Data",
    "JQ_M_Get_System_Mem_Len", "JQ_Get_System_Mem_Len",
    "JQ_M_Get_System_Mem_Data", "JQ_Get_System_Mem_Data",
    "JQ_M_Set_System_Mem_Data", "JQ_Set_System_Mem_Data",
    "JQ_M_Get_PLC_Var_Num", "JQ_Get_PLC_Var_Num",
    "JQ_M_Get_PLC_Var_Data", "JQ_Get_PLC_Var_Data",
    "JQ_M_Set_PLC_Var_Data", "JQ_Set_PLC_Var_Data",
    "JQ_M_Set_PLC_Pause", "JQ_Set_PLC_Pause",
    "JQ_M_Set_PLC_Stop", "JQ_Set_PLC_Stop",
    "JQ_M_Set_PLC_Run", "JQ_Set_PLC_Run",
    "JQ_M_Set_PLC_Data", "JQ_Set_PLC_Data",
    "JQ_M_Get_PLC_Code_Size", "JQ_Get_PLC_Code_Size",
    "JQ_M_Get_PLC_Task_Count", "JQ_Get_PLC_Task_Count",
    "JQ_M_Get_PLC_Task_Status", "JQ_Get_PLC_Task_Status",
    "JQ_M_Get_PLC_Var_Seg", "JQ_Get_PLC_Var_Seg",
    "JQ_M_Get_PLC_Var_Used", "JQ_Get_PLC_Var_Used",
    "JQ_M_Get_PLC_Status", "JQ_Get_PLC_Status",
    "JQ_M_Get_PLC_Tasks_Status", "JQ_Get_PLC_Tasks_Status",
    "JQ_M_Get_PLC_Axis_Ratio", "JQ_Get_PLC_Axis_Ratio",
    "JQ_M_Get_PLC_Encoder_Ratio", "JQ_Get_PLC_Encoder_Ratio",
    // Unit conversion
    "JQ_Help_Step_Line_Real_To_Steps",
    "JQ_Help_Step_Circle_Real_To_Steps",
    "JQ_Help_Step_Line_Steps_To_Real",
    "JQ_Help_Step_Circle_Steps_To_Real",
    "JQ_Help_Encoder_Line_Real_To_Steps",
    "JQ_Help_Encoder_Circle_Real_To_Steps",
    "JQ_Help_Encoder_Line_Steps_To_Real",
    "JQ_Help_Encoder_Circle_Steps_To_Real",
    "JQ_Help_Grating_Line_Real_To_Steps",
    "JQ_Help_Grating_Circle_Real_To_Steps",
    "JQ_Help_Grating_Line_Steps_To_Real",
    "JQ_Help_Grating_Circle_Steps_To_Real",
    "JQ_Help_Encoder_Factor",
    "JQ_Help_Grating_Line_Factor",
    "JQ_Help_Grating_Circle_Factor",
};

constexpr size_t kExportCount = 495;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Defined function symbols of a shared object's dynamic symbol table.
std::set<std::string> DefinedDynamicFunctions(const std::string& path, std::string& error) {
  std::set<std::string> names;
  const std::string image = ReadFile(path);
  auto fits = [&](uint64_t offset, uint64_t size) {
    return offset <= image.size() && size <= image.size() - offset;
  };
  if (!fits(0, sizeof(Elf64_Ehdr)) || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0 ||
      image[EI_CLASS] != ELFCLASS64) {
    error = "not a 64-bit ELF file: " + path;
    return names;
  }
  Elf64_Ehdr eh;
  std::memcpy(&eh, image.data(), sizeof eh);
  if (eh.e_shentsize != sizeof(Elf64_Shdr) || !fits(eh.e_shoff, uint64_t{eh.e_shnum} * sizeof(Elf64_Shdr))) {
    error = "bad section table";
    return names;
  }
  auto section = [&](size_t i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, image.data() + eh.e_shoff + i * sizeof sh, sizeof sh);
    return sh;
  };
  bool found = false;
  for (size_t i = 0; i < eh.e_shnum; ++i) {
    const Elf64_Shdr dynsym = section(i);
    if (dynsym.sh_type != SHT_DYNSYM) continue;
    found = true;
    if (dynsym.sh_link >= eh.e_shnum) break;
    const Elf64_Shdr strtab = section(dynsym.sh_link);
    if (!fits(dynsym.sh_offset, dynsym.sh_size) || !fits(strtab.sh_offset, strtab.sh_size)) break;
    for (uint64_t off = 0; off + sizeof(Elf64_Sym) <= dynsym.sh_size; off += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      std::memcpy(&sym, image.data() + dynsym.sh_offset + off, sizeof sym);
      const int type = ELF64_ST_TYPE(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (type != STT_FUNC && type != STT_GNU_IFUNC)) continue;
      if (sym.st_name >= strtab.sh_size) continue;
      const char* name = image.data() + strtab.sh_offset + sym.st_name;
      names.insert(std::string(name, strnlen(name, strtab.sh_size - sym.st_name)));
    }
  }
  if (!found) error = "no dynamic symbol table";
  return names;
}

std::string Listed(const std::vector<std::string>& names) {
  std::string s;
  for (const auto& n : names) s += "\n  " + n;
  return s;
}

std::vector<std::string> Difference(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::vector<std::string> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

const std::set<std::string>& ExportSet() {
  static const std::set<std::string> set(kExports.begin(), kExports.end());
  return set;
}

TEST(Surface, ListHasEveryExportOnce) {
  EXPECT_EQ(kExports.size(), kExportCount);
  EXPECT_EQ(ExportSet().size(), kExports.size()) << "a name is listed twice";
}

TEST(Surface, EveryExportResolvesInTheShippedLibrary) {
  void* lib = dlopen(JQ_API_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  std::vector<std::string> missing;
  for (const std::string& name : kExports)
    if (!dlsym(lib, name.c_str())) missing.push_back(name);
  dlclose(lib);
  EXPECT_TRUE(missing.empty()) << missing.size() << " not exported:" << Listed(missing);
}

TEST(Surface, TheLibraryExportsNothingElse) {
  std::string error;
  const std::set<std::string> exported = DefinedDynamicFunctions(JQ_API_LIBRARY, error);
  ASSERT_TRUE(error.empty()) << error;
  const auto extra = Difference(exported, ExportSet());
  EXPECT_TRUE(extra.empty()) << extra.size() << " exported beyond the list:" << Listed(extra);
}

TEST(Surface, HeaderDeclaresExactlyTheExports) {
  const std::string header = ReadFile(JQ_API_HEADER);
  ASSERT_FALSE(header.empty()) << JQ_API_HEADER;
  // Declarations read "<type> JQ_CALL <name>(".
  const std::string mark = "JQ_CALL ";
  std::vector<std::string> declared;
  std::istringstream lines(header);
  for (std::string line; std::getline(lines, line);) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;  // the JQ_CALL macro itself
    for (size_t at = line.find(mark); at != std::string::npos; at = line.find(mark, at + 1)) {
      const size_t begin = line.find_first_not_of(' ', at + mark.size());
      if (begin == std::string::npos) break;
      size_t end = begin;
      while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_')) ++end;
      if (end < line.size() && line[end] == '(') declared.push_back(line.substr(begin, end - begin));
    }
  }
  const std::set<std::string> unique(declared.begin(), declared.end());
  EXPECT_EQ(unique.size(), declared.size()) << "a function is declared twice";
  const auto undeclared = Difference(ExportSet(), unique);
  const auto unknown = Difference(unique, ExportSet());
  EXPECT_TRUE(undeclared.empty()) << undeclared.size() << " not declared:" << Listed(undeclared);
  EXPECT_TRUE(unknown.empty()) << unknown.size() << " declared but not exports:" << Listed(unknown);
}

TEST(Surface, HeaderWorksFromC) { EXPECT_EQ(jq_surface_c_calls(), 0); }

}  // namespace
