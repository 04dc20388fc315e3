// The fixed texts the engine writes to the message file (and echoes in the report), and the
// texts of its input errors. A message with numbers or names in it is kept as its fixed parts;
// the engine puts the parts, the values and the layout (line breaks, indentation, banners)
// together where it writes the message. `kAllMessageTexts` lists every entry, for the check
// that the user's manual explains each of them.
//
// Header only and plain data: the desktop program may include it too.
#pragma once

#include <string_view>

namespace korva::msg {

// Banners and headings of message blocks.
inline constexpr char kWarningBanner[] = "*********************WARNING**********************";
inline constexpr char kErrorBanner[] = "*********************ERROR**********************";
inline constexpr char kStrengthWarningBanner[] = "**** WARNING ****";
inline constexpr char kErrorMessageHeading[] = "ERROR MESSAGE";

// The end of a run that was stopped.
inline constexpr char kAnalysisStopped[] = "THE ANALYSIS WAS STOPPED.";
inline constexpr char kProjectCannotBeAnalysed[] = "THE PROJECT FILE CANNOT BE ANALYSED:";
// THE PROJECT FILE "<path>" CANNOT BE READ.
inline constexpr char kProjectFileUnreadable1[] = "THE PROJECT FILE \"";
inline constexpr char kProjectFileUnreadable2[] = "\" CANNOT BE READ.";

// Run set-up.
inline constexpr char kNoFileNames[] =
    "NO FILE NAMES: \"names.dat\" COULD NOT BE READ AND THE CONSOLE GAVE NO ANSWER.";
inline constexpr char kOutputFileNotCreated[] = "AN OUTPUT FILE OF THE RUN COULD NOT BE CREATED.";
// CANNOT CREATE THE FILE "<path>": <reason>
inline constexpr char kCannotCreateFile1[] = "CANNOT CREATE THE FILE \"";
inline constexpr char kCannotCreateFile2[] = "\": ";
// INTERNAL ERROR: <what>
inline constexpr char kInternalError[] = "INTERNAL ERROR: ";

// Reading the project file. LINE <n>: "<text>" IS NOT AN INTEGER; EXPECTED <value>.
inline constexpr char kLine[] = "LINE ";
inline constexpr char kNotAnInteger[] = " IS NOT AN INTEGER";
inline constexpr char kNotANumber[] = " IS NOT A NUMBER";
inline constexpr char kTooLargeANumber[] = " IS TOO LARGE A NUMBER";
inline constexpr char kExpected[] = "; EXPECTED ";
// THE PROJECT FILE ENDS AFTER LINE <n>; EXPECTED <value>.
inline constexpr char kFileEndsAfterLine[] = "THE PROJECT FILE ENDS AFTER LINE ";
// The values named in those errors (besides the project file's own names, such as GAMMA).
inline constexpr char kAnEmptyList[] = "AN EMPTY LIST";
inline constexpr char kProjectTitle[] = "THE PROJECT TITLE";
inline constexpr char kUnitSystem[] = "THE UNIT SYSTEM";
inline constexpr char kNumberOfLayers[] = "THE NUMBER OF LAYERS";
inline constexpr char kDesignLoadOrDepth[] = "THE DESIGN LOAD OR DEPTH";
inline constexpr char kVariationPdmin[] = "PDMIN OF THE LENGTH VARIATION";
inline constexpr char kVariationPdincr[] = "PDINCR OF THE LENGTH VARIATION";
inline constexpr char kChartsPdmin[] = "PDMIN OF THE DESIGN CHARTS";
inline constexpr char kChartsPdincr[] = "PDINCR OF THE DESIGN CHARTS";
inline constexpr char kChartsDiamincr[] = "DIAMINCR OF THE DESIGN CHARTS";
inline constexpr char kNumberOfSettlements[] = "THE NUMBER OF DESIGN-CHART SETTLEMENTS";
inline constexpr char kSettlement[] = "DESIGN-CHART SETTLEMENT ";     // + number
inline constexpr char kSoilTypeOfLayer[] = "THE SOIL TYPE OF LAYER ";     // + number
inline constexpr char kBottomDepthOfLayer[] = "THE BOTTOM DEPTH OF LAYER ";  // + number
inline constexpr char kIsideOfLayer[] = "ISIDE OF LAYER ";               // + number
inline constexpr char kAtTopOfLayer[] = " AT THE TOP OF LAYER ";         // name + this + number
inline constexpr char kAtBottomOfLayer[] = " AT THE BOTTOM OF LAYER ";
inline constexpr char kNumberOfTzDepths[] = "THE NUMBER OF T-Z CURVE DEPTHS";
inline constexpr char kTzDepth[] = "T-Z CURVE DEPTH ";  // + number

// Projects beyond the engine's tables (see analysis_limits.h).
// METHOD IS <m>; IT MUST BE 1 (DESIGN LOAD GIVEN) OR 2 (SHAFT LENGTH GIVEN).
inline constexpr char kMethodIs[] = "METHOD IS ";
inline constexpr char kMethodMustBe[] = "; IT MUST BE 1 (DESIGN LOAD GIVEN) OR 2 (SHAFT LENGTH GIVEN).";
// THE PROJECT HAS <n> SOIL LAYERS; THE ENGINE ANALYSES 1 TO <max> LAYERS.
inline constexpr char kLayerCount1[] = "THE PROJECT HAS ";
inline constexpr char kLayerCount2[] = " SOIL LAYERS; THE ENGINE ANALYSES 1 TO ";
inline constexpr char kLayerCount3[] = " LAYERS.";
// THE PROJECT ASKS FOR <n> DESIGN-CHART SETTLEMENTS; THE ENGINE HOLDS AT MOST <max>.
// THE PROJECT ASKS FOR <n> T-Z CURVE DEPTHS; THE ENGINE HOLDS AT MOST <max>.
inline constexpr char kAsksFor[] = "THE PROJECT ASKS FOR ";
inline constexpr char kSettlementCount[] = " DESIGN-CHART SETTLEMENTS; THE ENGINE HOLDS AT MOST ";
inline constexpr char kTzDepthCount[] = " T-Z CURVE DEPTHS; THE ENGINE HOLDS AT MOST ";
// THE SOIL PROFILE REACHES <z> FT; THE ENGINE'S DEPTH TABLES HOLD AT MOST 500 ONE-FOOT STEPS.
inline constexpr char kProfileReaches1[] = "THE SOIL PROFILE REACHES ";
inline constexpr char kProfileReaches2[] =
    " FT; THE ENGINE'S DEPTH TABLES HOLD AT MOST 500 ONE-FOOT STEPS.";
inline constexpr char kLengthStepNotPositive[] =
    "THE LENGTH INCREMENT OF THE LENGTH VARIATION MUST BE POSITIVE.";
inline constexpr char kChartStepNotPositive[] =
    "THE DIAMETER INCREMENT OF THE DESIGN CHARTS MUST BE POSITIVE.";
// THE DESIGN CHARTS WOULD ANALYSE MORE THAN <max> DIAMETERS; INCREASE ...
inline constexpr char kChartDiameters1[] = "THE DESIGN CHARTS WOULD ANALYSE MORE THAN ";
inline constexpr char kChartDiameters2[] =
    " DIAMETERS; INCREASE THE DIAMETER INCREMENT OR NARROW THE DIAMETER RANGE.";
inline constexpr char kDiameterRange1[] = "THE DIAMETER RANGE WOULD ANALYSE MORE THAN ";
inline constexpr char kDiameterRange2[] =
    " DIAMETERS (ONE EVERY HALF FOOT); NARROW THE DIAMETER RANGE.";
inline constexpr char kLengthVariation1[] = "THE LENGTH VARIATION WOULD ANALYSE MORE THAN ";
inline constexpr char kLengthVariation2[] =
    " SHAFT LENGTHS; INCREASE THE LENGTH INCREMENT OR NARROW THE LENGTH RANGE.";
// THE ANALYSIS WOULD RUN <n> SHAFTS (LENGTHS TIMES DIAMETERS); THE ENGINE RUNS AT MOST <max>.
inline constexpr char kPassCount1[] = "THE ANALYSIS WOULD RUN ";
inline constexpr char kPassCount2[] = " SHAFTS (LENGTHS TIMES DIAMETERS); THE ENGINE RUNS AT MOST ";
inline constexpr char kPrintRows1[] = "THE PRINT INCREMENT WOULD PRINT MORE THAN ";
inline constexpr char kPrintRows2[] = " REPORT ROWS PER SHAFT; INCREASE THE PRINT INCREMENT.";
inline constexpr char kBellRatio[] =
    "THE RATIO OF BELL TO SHAFT DIAMETER MUST BE 0 (A STRAIGHT SHAFT) OR AT LEAST 1.";
inline constexpr char kTopLengthTooDeep[] =
    "THE TOP LENGTH OF THE SHAFT REACHES BEYOND THE ENGINE'S 500 FT DEPTH TABLES.";
inline constexpr char kBottomLengthTooDeep[] =
    "THE BOTTOM LENGTH AND THE BELL OF THE SHAFT REACH BEYOND THE ENGINE'S 500 FT DEPTH TABLES.";
inline constexpr char kBaseDiameterTooLarge[] =
    "A BASE DIAMETER ABOVE 250 FT IS BEYOND THE ENGINE'S 500 FT DEPTH TABLES.";

// Warnings and notes of the analysis. Line breaks and indentation are part of the text.
inline constexpr char kDesignDepthBelowProfile[] =
    "PLEASE PROVIDE THE SOIL DEPTH THAT IS TWO-DIAMETER DEEPER\n"
    "     THAN THE TIP OF DRILLED SHAFTS";
inline constexpr char kZeroMinimumDiameter[] =
    "THE MINIMUM SHAFT DIAMETER IS ZERO: Nc IS TAKEN AT ITS LIMIT AND ROCK SOCKET\n"
    "     DIAMETERS ARE USED AS ENTERED.";
inline constexpr char kBellWithoutAngle[] =
    "A BELL NEEDS AN ANGLE ABOVE 0 DEGREES; THE SHAFT IS ANALYSED AS A\n"
    "     STRAIGHT SHAFT.";
inline constexpr char kIncreaseSoilDepth[] =
    "INCREASE THE SOIL DEPTH TO GIVE ENOUGH LENGTH FOR\n"
    "       COMPUTING THE BASE RESISTANCE- AT LEAST TWO DIAMETER";
inline constexpr char kNeedAnotherLayer[] = "NEED ANOTHER SOIL LAYER";
inline constexpr char kSafetyFactorNotPositive[] =
    "A FACTOR OF SAFETY OF ZERO OR LESS CANNOT DIVIDE A RESISTANCE;\n"
    "     A FACTOR OF 1.0 IS USED INSTEAD.";
inline constexpr char kTotalUnitWeight[] =
    "PLEASE INPUT THE TOTAL UNIT WEIGHT FOR THE SOIL.  THE PROGRAM\n"
    "WILL CONSIDER THE SUBMERGED UNIT WEIGHT INTERNALLY IF THE SOIL\n"
    "IS BELOW THE WATER TABLE WHICH SHOULD BE ENTERED BY THE USER";
inline constexpr char kSandNeedsNOrPhi[] =
    "PLEASE INPUT EITHER THE N-VALUE FROM STANDARD PENETRATION TESTS\n"
    "OR THE INTERNAL FRICTION ANGLE FOR SAND LAYERS";
inline constexpr char kClayFromN[] =
    "THE PREDICTED LOAD TRANSFER IN CLAY BASED ON THE N-VALUE\n"
    "FROM STANDARD PENETRATION TESTS IS NOT RECOMMENDED FOR\n"
    "THE FINAL DESIGN.  PLEASE INPUT THE UNDRAIDED SHEAR\n"
    "STRENGTH FOR CLAY LAYERS IN THE FINAL DESIGN.";
// NOTE: NO EFFECTIVE STRESS AT <z> FT IN DECOMPOSED ROCK/GRAVEL; NO RESISTANCE IS TAKEN THERE.
inline constexpr char kNoEffectiveStress1[] = "NOTE: NO EFFECTIVE STRESS AT ";
inline constexpr char kNoEffectiveStress2[] =
    " FT IN DECOMPOSED ROCK/GRAVEL; NO RESISTANCE IS TAKEN THERE.";
// NOTE: LAYER <k> IS ROCK WITHOUT A SOCKET DIAMETER; ...
inline constexpr char kNoSocketDiameter1[] = "NOTE: LAYER ";
inline constexpr char kNoSocketDiameter2[] =
    " IS ROCK WITHOUT A SOCKET DIAMETER; THE SHAFT DIAMETER IS USED"
    "\n     FOR ITS BASE RESISTANCE.";
// NOTE: CASE <n> HAS NO SHAFT LENGTH OR DIAMETER TO COMPUTE A LOAD-SETTLEMENT CURVE.
inline constexpr char kCaseWithoutCurve1[] = "NOTE: CASE ";
inline constexpr char kCaseWithoutCurve2[] =
    " HAS NO SHAFT LENGTH OR DIAMETER TO COMPUTE A LOAD-SETTLEMENT CURVE.";
// THE VALUE OF X = <x> IS BEYOND THE EXTENT OF THE INPUT STRENGTH CURVE [1]
inline constexpr char kValueOfX[] = "THE VALUE OF X =";
inline constexpr char kBeyondStrengthCurve[] = " IS BEYOND THE EXTENT OF THE INPUT STRENGTH CURVE";
// NOTE: A SHAFT SEGMENT DID NOT CONVERGE IN <n> ROUNDS; THE LAST ESTIMATE IS USED.
// CASE <n>, <line>, TIP MOVEMENT <w> IN., SEGMENT DEPTH <z> IN.
inline constexpr char kSegmentNotConverged1[] = "NOTE: A SHAFT SEGMENT DID NOT CONVERGE IN ";
inline constexpr char kSegmentNotConverged2[] = " ROUNDS; THE LAST ESTIMATE IS USED.";
inline constexpr char kSegmentCase[] = "CASE";
inline constexpr char kSegmentTipMovement[] = ", TIP MOVEMENT";
inline constexpr char kSegmentDepth[] = " IN., SEGMENT DEPTH";
inline constexpr char kSegmentDepthUnit[] = " IN.";

// Weak rock sockets: range warnings (label, value, explanation) ...
inline constexpr char kSocketLengthRatio[] = "SOCKET LENGTH/SOCKET DIAMETER = ";
inline constexpr char kSocketLengthRatioRange[] =
    "L/D SHOULD BE GREATER THAN 2.0 AND LESS THAN 20.0";
inline constexpr char kModulusRatio[] = "Ec/Em = ";
inline constexpr char kModulusRatioRange[] =
    "Ec/Em SHOULD BE GREATER THAN 10.0 AND LESS THAN 500.0";
inline constexpr char kSocketDiameter[] = "Diameter (FT) = ";
inline constexpr char kSocketDiameterRange[] =
    "SOCKET DIAMETER SHOULD BE GREATER THAN 0.5 m or 1.64 ft\n"
    "     AND LESS THAN 1.53 m or 5 ft.";
// ... and notes on values the method cannot take: WEAK ROCK AT DEPTH <z> FT: <note>
inline constexpr char kWeakRockAtDepth[] = "WEAK ROCK AT DEPTH";
inline constexpr char kWeakRockFt[] = " FT: ";
inline constexpr char kWrLayerThickness[] = "LAYER OF ZERO THICKNESS: THE VALUES AT ITS TOP ARE USED.";
inline constexpr char kWrDstartZero[] =
    "STARTING DIAMETER IS ZERO: SOCKET DIAMETER NOT SCALED BY D/DSTART.";
inline constexpr char kWrCountZero[] =
    "NO CALLS COUNTED: INTACT MODULUS EI TAKEN AS EL AT THIS DEPTH.";
inline constexpr char kWrQuZero[] = "QU IS ZERO: SIGMA_N/QU UNDEFINED, N TAKEN AS 1.";
inline constexpr char kWrSigmaZero[] =
    "SIGMA_N IS ZERO: EM/SIGMA_N UNDEFINED, N READ AT EM/SIGMA_N = 3000.";
inline constexpr char kWrDsZero[] = "SOCKET DIAMETER IS ZERO: LX/DS UNDEFINED, TAKEN AS 1.";
inline constexpr char kWrNegativeRatio[] = "NEGATIVE SOCKET LENGTH/DIAMETER TAKEN AS 0.";
inline constexpr char kWrModulusRatio[] =
    "EM IS ZERO OR EC/EM NOT POSITIVE: LOG10(EC/EM) TAKEN AS 0.";
inline constexpr char kWrTheta[] =
    "FA_R*LX*GAMMA IS ZERO: THETA UNDEFINED, SIDE RESISTANCE TAKEN AS FA_R.";
inline constexpr char kWrHyperbola[] =
    "THETA-2N+1 IS ZERO (N ABOVE 1): SIDE RESISTANCE TAKEN AS FA_R.";
inline constexpr char kWrBaseLength[] = "SOCKET LENGTH IS ZERO: BASE STIFFNESS K TAKEN AS 0.";
inline constexpr char kWrBaseBracket[] = "NEGATIVE BASE STIFFNESS TERM: K TAKEN AS 0.";
inline constexpr char kWrNegativeMovement[] = "NEGATIVE MOVEMENT: BASE MOVEMENT TERM TAKEN AS 0.";

struct MessageText {
  std::string_view id;
  std::string_view text;
};

// Every entry above. A new text belongs here too.
inline constexpr MessageText kAllMessageTexts[] = {
    {"warning_banner", kWarningBanner},
    {"error_banner", kErrorBanner},
    {"strength_warning_banner", kStrengthWarningBanner},
    {"error_message_heading", kErrorMessageHeading},
    {"analysis_stopped", kAnalysisStopped},
    {"project_cannot_be_analysed", kProjectCannotBeAnalysed},
    {"project_file_unreadable.1", kProjectFileUnreadable1},
    {"project_file_unreadable.2", kProjectFileUnreadable2},
    {"no_file_names", kNoFileNames},
    {"output_file_not_created", kOutputFileNotCreated},
    {"cannot_create_file.1", kCannotCreateFile1},
    {"cannot_create_file.2", kCannotCreateFile2},
    {"internal_error", kInternalError},
    {"line", kLine},
    {"not_an_integer", kNotAnInteger},
    {"not_a_number", kNotANumber},
    {"too_large_a_number", kTooLargeANumber},
    {"expected", kExpected},
    {"file_ends_after_line", kFileEndsAfterLine},
    {"value.empty_list", kAnEmptyList},
    {"value.project_title", kProjectTitle},
    {"value.unit_system", kUnitSystem},
    {"value.number_of_layers", kNumberOfLayers},
    {"value.design_load_or_depth", kDesignLoadOrDepth},
    {"value.variation_pdmin", kVariationPdmin},
    {"value.variation_pdincr", kVariationPdincr},
    {"value.charts_pdmin", kChartsPdmin},
    {"value.charts_pdincr", kChartsPdincr},
    {"value.charts_diamincr", kChartsDiamincr},
    {"value.number_of_settlements", kNumberOfSettlements},
    {"value.settlement", kSettlement},
    {"value.soil_type_of_layer", kSoilTypeOfLayer},
    {"value.bottom_depth_of_layer", kBottomDepthOfLayer},
    {"value.iside_of_layer", kIsideOfLayer},
    {"value.at_top_of_layer", kAtTopOfLayer},
    {"value.at_bottom_of_layer", kAtBottomOfLayer},
    {"value.number_of_tz_depths", kNumberOfTzDepths},
    {"value.tz_depth", kTzDepth},
    {"method_is.1", kMethodIs},
    {"method_is.2", kMethodMustBe},
    {"layer_count.1", kLayerCount1},
    {"layer_count.2", kLayerCount2},
    {"layer_count.3", kLayerCount3},
    {"asks_for", kAsksFor},
    {"settlement_count", kSettlementCount},
    {"tz_depth_count", kTzDepthCount},
    {"profile_reaches.1", kProfileReaches1},
    {"profile_reaches.2", kProfileReaches2},
    {"length_step_not_positive", kLengthStepNotPositive},
    {"chart_step_not_positive", kChartStepNotPositive},
    {"chart_diameters.1", kChartDiameters1},
    {"chart_diameters.2", kChartDiameters2},
    {"diameter_range.1", kDiameterRange1},
    {"diameter_range.2", kDiameterRange2},
    {"length_variation.1", kLengthVariation1},
    {"length_variation.2", kLengthVariation2},
    {"pass_count.1", kPassCount1},
    {"pass_count.2", kPassCount2},
    {"print_rows.1", kPrintRows1},
    {"print_rows.2", kPrintRows2},
    {"bell_ratio", kBellRatio},
    {"top_length_too_deep", kTopLengthTooDeep},
    {"bottom_length_too_deep", kBottomLengthTooDeep},
    {"base_diameter_too_large", kBaseDiameterTooLarge},
    {"design_depth_below_profile", kDesignDepthBelowProfile},
    {"zero_minimum_diameter", kZeroMinimumDiameter},
    {"bell_without_angle", kBellWithoutAngle},
    {"increase_soil_depth", kIncreaseSoilDepth},
    {"need_another_layer", kNeedAnotherLayer},
    {"safety_factor_not_positive", kSafetyFactorNotPositive},
    {"total_unit_weight", kTotalUnitWeight},
    {"sand_needs_n_or_phi", kSandNeedsNOrPhi},
    {"clay_from_n", kClayFromN},
    {"no_effective_stress.1", kNoEffectiveStress1},
    {"no_effective_stress.2", kNoEffectiveStress2},
    {"no_socket_diameter.1", kNoSocketDiameter1},
    {"no_socket_diameter.2", kNoSocketDiameter2},
    {"case_without_curve.1", kCaseWithoutCurve1},
    {"case_without_curve.2", kCaseWithoutCurve2},
    {"value_of_x", kValueOfX},
    {"beyond_strength_curve", kBeyondStrengthCurve},
    {"segment_not_converged.1", kSegmentNotConverged1},
    {"segment_not_converged.2", kSegmentNotConverged2},
    {"segment_not_converged.case", kSegmentCase},
    {"segment_not_converged.tip_movement", kSegmentTipMovement},
    {"segment_not_converged.depth", kSegmentDepth},
    {"segment_not_converged.depth_unit", kSegmentDepthUnit},
    {"socket_length_ratio", kSocketLengthRatio},
    {"socket_length_ratio_range", kSocketLengthRatioRange},
    {"modulus_ratio", kModulusRatio},
    {"modulus_ratio_range", kModulusRatioRange},
    {"socket_diameter", kSocketDiameter},
    {"socket_diameter_range", kSocketDiameterRange},
    {"weak_rock_at_depth", kWeakRockAtDepth},
    {"weak_rock_ft", kWeakRockFt},
    {"weak_rock.layer_thickness", kWrLayerThickness},
    {"weak_rock.dstart_zero", kWrDstartZero},
    {"weak_rock.count_zero", kWrCountZero},
    {"weak_rock.qu_zero", kWrQuZero},
    {"weak_rock.sigma_zero", kWrSigmaZero},
    {"weak_rock.ds_zero", kWrDsZero},
    {"weak_rock.negative_ratio", kWrNegativeRatio},
    {"weak_rock.modulus_ratio", kWrModulusRatio},
    {"weak_rock.theta", kWrTheta},
    {"weak_rock.hyperbola", kWrHyperbola},
    {"weak_rock.base_length", kWrBaseLength},
    {"weak_rock.base_bracket", kWrBaseBracket},
    {"weak_rock.negative_movement", kWrNegativeMovement},
};

}  // namespace korva::msg
