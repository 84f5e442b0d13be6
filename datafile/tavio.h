/*
 * tavio: the data file library.  Acquisition software describes the channels
 * of a recording, writes raw 16-bit samples into one of five formats
 * ("Velmont", "VelmontEnhanced", "KEPR", "DIZ", "DIZ_NOHEADER"), reads
 * recorded data files and KEPR containers back sample by sample as counts,
 * volts or engineering units (EU), and translates them between formats.
 *
 * Conventions of every function below:
 *  - The library holds one file open for writing and one for reading.  All
 *    setters act on the file being written (the write context); all getters
 *    act on the file being read (the read context).
 *  - "ch" is a channel number counted from 1; "index" and "point" count from
 *    1.  Texts are 8-bit and NUL-terminated; the library keeps at most 255
 *    characters of a text (longer ones are cut) and text out-parameters must
 *    hold 256 characters.
 *  - The result is 0 on success or one of the codes of tavio_codes.h
 *    (TAVIO_ExistFile returns 1 or 0; TAVIO_WriteBytes on a "KEPR" file passes
 *    on the container library's negative result).  Out-parameters are written
 *    only on success.  Nothing throws.
 *  - Data types: 0 unsigned 16-bit, 1 signed 16-bit, 128 and 129 the same with
 *    big-endian client bytes (the writer swaps them).
 *  - Single-threaded: one client thread at a time.
 */
#ifndef TAVIO_H
#define TAVIO_H

#include "export.h"
#include "tavio_codes.h"

ORVELA_EXTERN_C_BEGIN

/* ---- Write configuration ---------------------------------------------- */

/* Sets the channel count (low 16 bits) of the file being written.  When no
 * count is set yet (after TAVIO_CreateDataFile) the defaults are applied to
 * channels 1..count first: offset 0 and 3200.0 counts per volt for signed
 * data types, 32767 and 2675.0 otherwise, name "Ch%d", units "Volts", type
 * "Polynomial", no reference, adder 0.0, shunt and gauge factors 1.0, order 1
 * with coefficients 0.0, 1.0 and calibration points -10.0, 10.0; segment 0
 * then holds all channels.  Raising an existing count gives the added
 * channels the same defaults; lowering it keeps the records.
 * Returns 0, or 210 when the count exceeds 128 (nothing changed). */
ORVELA_EXPORT int TAVIO_SetChannelCount(int count);

/* Set the name, units or thermocouple reference channel name of channel ch.
 * An empty text leaves the field unchanged.  Returns 0; 210 for a bad ch. */
ORVELA_EXPORT int TAVIO_SetChannelName(int ch, const char* name);
ORVELA_EXPORT int TAVIO_SetChannelUnits(int ch, const char* units);
ORVELA_EXPORT int TAVIO_SetChannelTCRef(int ch, const char* reference_name);

/* Stores the conversion type text (also an empty one) and its code, matched
 * without regard to case: "volts"/"none" 0, "linear" 1, "polynomial" 2,
 * "type_b" .. "type_t" 3 to 10, "TC_Reference" 11 (also marks the channel as a
 * thermocouple reference), "bridge" 12.  Returns 0; 210 for a bad ch; 217 for
 * a text not in that list (text stored, code 0). */
ORVELA_EXPORT int TAVIO_SetConversionType(int ch, const char* type);

/* Store one numeric field of channel ch (the offset count keeps its low 16
 * bits).  Return 0; 210 for a bad ch. */
ORVELA_EXPORT int TAVIO_SetCountsPerVolt(int ch, double counts_per_volt);
ORVELA_EXPORT int TAVIO_SetOffsetCount(int ch, int count);
ORVELA_EXPORT int TAVIO_SetManualEuAdder(int ch, double adder);
ORVELA_EXPORT int TAVIO_SetShuntCalCF(int ch, double factor);
ORVELA_EXPORT int TAVIO_SetGaugeFactor(int ch, double factor);

/* Sets the polynomial order (low 16 bits) of channel ch and resizes its
 * coefficient and two calibration point arrays to order + 1 values, keeping
 * the values that fit (new ones are 0.0).  Returns 0; 210 for a bad ch. */
ORVELA_EXPORT int TAVIO_SetPolynomialOrder(int ch, int order);

/* Store value number index (1 to order + 1) of the coefficients, the
 * calibration voltage points or the EU calibration points of channel ch; each
 * pair of names is one function.  Return 0; 210 for a bad ch; 213 for a bad
 * index. */
ORVELA_EXPORT int TAVIO_SetPolynomialCoeff(int ch, int index, double value);
ORVELA_EXPORT int TAVIO_SetPolyCon(int ch, int index, double value);
ORVELA_EXPORT int TAVIO_SetCalibrationVoltagePoint(int ch, int point, double volts);
ORVELA_EXPORT int TAVIO_SetCalRaw(int ch, int point, double volts);
ORVELA_EXPORT int TAVIO_SetEuCalibrationPoint(int ch, int point, double eu);
ORVELA_EXPORT int TAVIO_SetCalEU(int ch, int point, double eu);

/* Set the sample-set rate in Hz (whole or fractional).  Recorded data files
 * record it rounded up to a whole number.  Return 0. */
ORVELA_EXPORT int TAVIO_SetClockRate(unsigned int hz);
ORVELA_EXPORT int TAVIO_SetClockRateEx(double hz);

/* Sets the sample sets per scan S of the recorded data layouts.  Returns 0. */
ORVELA_EXPORT int TAVIO_SetNumScanSamples(int samples);

/* Store the data header and scan header sizes; the writers use the sizes
 * their format fixes.  Return 0. */
ORVELA_EXPORT int TAVIO_SetDataHeaderSize(int bytes);
ORVELA_EXPORT int TAVIO_SetScanHeaderSize(int bytes);

/* Sets the segment count of a "VelmontEnhanced" scan (low 8 bits).
 * Returns 0. */
ORVELA_EXPORT int TAVIO_SetNumScanSegments(int count);

/* Sets the channel count (low 16 bits) of segment (low 8 bits, 0-based); a
 * segment at or beyond the segment count raises it to segment + 1.
 * Returns 0. */
ORVELA_EXPORT int TAVIO_SetNumChannelsInScanSegment(int segment, int channels);

/* Sets the input data type (0, 1, 128, 129) and the recorded data type and
 * transfer style (4 unsigned, 5 signed) of a "Velmont"/"VelmontEnhanced"
 * file.  Returns 0; 215 for another type; 214 for another write format (no
 * data type recorded). */
ORVELA_EXPORT int TAVIO_SetDataType(int type);

/* Change only how the recorded data file labels its samples (recorded data
 * type and transfer style); samples are never converted.  Return 0; 215 for
 * a type other than 0, 1, 128, 129.  TAVIO_ConvertToDataType also returns 214
 * unless the write format is "Velmont" or "VelmontEnhanced". */
ORVELA_EXPORT int TAVIO_ConvertToDataType(int type);
ORVELA_EXPORT int TAVIO_ConvertToVelmontDataType(int type);

/* Select the write format "Velmont" (scan header 24, data header 0) or
 * "VelmontEnhanced" (data header 24, scan header 0).  Return 0. */
ORVELA_EXPORT int TAVIO_SetFormatVelmont(void);
ORVELA_EXPORT int TAVIO_SetFormatVelmontEnhanced(void);

/* ---- Read description (file open for reading) ------------------------- */

/* out: the read file's channel count.  Returns 0; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_GetChannelCount(int* out);

/* Copy the name, units, reference channel name or conversion type text of
 * channel ch into out (256 characters).  Return 0; 210 for a bad ch; 213 for
 * a NULL out. */
ORVELA_EXPORT int TAVIO_GetChannelName(int ch, char* out);
ORVELA_EXPORT int TAVIO_GetChannelUnits(int ch, char* out);
ORVELA_EXPORT int TAVIO_GetChannelTCRef(int ch, char* out);
ORVELA_EXPORT int TAVIO_GetConversionType(int ch, char* out);

/* Copy one numeric field of channel ch.  Return 0; 210 for a bad ch; 213 for
 * a NULL out. */
ORVELA_EXPORT int TAVIO_GetCountsPerVolt(int ch, double* out);
ORVELA_EXPORT int TAVIO_GetManualEuAdder(int ch, double* out);
ORVELA_EXPORT int TAVIO_GetShuntCalCF(int ch, double* out);
ORVELA_EXPORT int TAVIO_GetGaugeFactor(int ch, double* out);
ORVELA_EXPORT int TAVIO_GetOffsetCount(int ch, unsigned short* out);
ORVELA_EXPORT int TAVIO_GetPolynomialOrder(int ch, unsigned short* out);

/* Copy value number index (1 to order + 1) of the coefficients, calibration
 * voltage points or EU calibration points of channel ch; each pair of names is
 * one function.  Return 0; 210 for a bad ch; 213 for a bad index, an index
 * the file supplied no value for, or a NULL out. */
ORVELA_EXPORT int TAVIO_GetPolynomialCoeff(int ch, int index, double* out);
ORVELA_EXPORT int TAVIO_GetPolyCon(int ch, int index, double* out);
ORVELA_EXPORT int TAVIO_GetCalibrationVoltagePoint(int ch, int point, double* out);
ORVELA_EXPORT int TAVIO_GetCalRaw(int ch, int point, double* out);
ORVELA_EXPORT int TAVIO_GetEuCalibrationPoint(int ch, int point, double* out);
ORVELA_EXPORT int TAVIO_GetCalEU(int ch, int point, double* out);

/* out: the read file's clock rate in Hz, truncated toward zero (Ex: as a
 * double).  Return 0; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_GetClockRate(int* out);
ORVELA_EXPORT int TAVIO_GetClockRateEx(double* out);

/* out: samples per scan; data type (0 unsigned, 1 signed; the transfer style
 * 4 or 5 for digital files); input type (1 digital, 0 analogue); bytes of one
 * sample set; read format code (1 "Velmont", 2 "VelmontEnhanced", 3 and 4 the
 * same with a keyed header, 5 KEPR container, 0 none); number of whole scans.
 * Return 0; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_GetNumScanSamples(int* out);
ORVELA_EXPORT int TAVIO_GetDataType(int* out);
ORVELA_EXPORT int TAVIO_GetInputType(int* out);
ORVELA_EXPORT int TAVIO_GetNumBytesPerSample(int* out);
ORVELA_EXPORT int TAVIO_GetFormatType(int* out);
ORVELA_EXPORT int TAVIO_GetScanCount(int* out);

/* out: the number of sample sets of the read file.  Returns 0; 213 for a
 * NULL out. */
ORVELA_EXPORT int TAVIO_GetSampleCount(double* out);

/* ---- Writing ---------------------------------------------------------- */

/* Starts the configuration of a new write file: copies path (at most 255
 * characters), selects the format by name without regard to case ("Velmont",
 * "VelmontEnhanced", "KEPR", "DIZ", "DIZ_NOHEADER"), applies
 * TAVIO_SetDataType(type) (its result is not reported) and resets the channel
 * count, samples per scan, clock rate and segment table.  No file is created
 * yet.  Returns 0; 214 for an unknown or NULL name, 200 for a path longer
 * than 255 characters (nothing changed in both cases). */
ORVELA_EXPORT int TAVIO_CreateDataFile(const char* format, int type, const char* path);

/* TAVIO_CreateDataFile("Velmont"), then the channel count, clock rate and
 * samples per scan; returns the first non-zero result, else 0. */
ORVELA_EXPORT int TAVIO_CreateVelmontDataFile(const char* path, int type, int channels,
                                              unsigned int clock_rate, int samples_per_scan);

/* Loads the container library "./kepr.so" (relative to the working
 * directory) if needed, then TAVIO_CreateDataFile("KEPR"), the channel count
 * and the clock rate.  Returns 0; 200 when the container library cannot be
 * loaded; else the first non-zero result. */
ORVELA_EXPORT int TAVIO_CreateKEPRFile(const char* path, int type, int channels, double clock_rate);

/* TAVIO_CreateDataFile("DIZ" when with_header is non-zero, else
 * "DIZ_NOHEADER"), then the channel count and the clock rate; the first
 * non-zero result, else 0.  The text formats convert the samples of the file
 * open for reading into EU (they serve translation). */
ORVELA_EXPORT int TAVIO_CreateDIZFile(const char* path, int type, int channels, double clock_rate,
                                      int with_header);

/* Creates the output file and writes its header.  Returns 0; 204 when a write
 * file is already open; 214 with no format selected, or for "Velmont" and
 * "VelmontEnhanced" with no channels, more than 128 channels, samples per
 * scan 0, a scan block (scan header and S sample sets) larger than the
 * 4,096,100-byte buffer readers hold it in, or a segment table holding more
 * channels than the file (no file is created); 200 when the file cannot be created or a container function is
 * missing or fails; 222 when writing the header fails; 221 when the text
 * header cannot be written.  On failure no write file is open, except after
 * 214 for no format selected (close it with TAVIO_CloseWriteFile). */
ORVELA_EXPORT int TAVIO_WriteHeader(void);

/* Appends count bytes of raw sample sets (whole sets only: trailing bytes of
 * an incomplete set are ignored).  Recorded data files get their BCD time
 * stamps here.  Returns 0; 201 when no write file is open; 214 for no format;
 * 213 for a NULL data with a positive count; 222 when writing fails; 221 when
 * text output fails; for "KEPR" the container library's result (0 or
 * negative), or 200 when its function is missing. */
ORVELA_EXPORT int TAVIO_WriteBytes(const void* data, int count);

/* Completes and closes the write file: recorded data files get the pad sample
 * sets of an incomplete last scan and their pad count; a container gets its
 * chunk lengths.  Returns 0; 201 when no write file is open; 219 when
 * padding, patching or closing fails, when an earlier write of the file
 * failed (samples written earlier may be held back until the close), or when
 * the container library cannot finish the container.  The write file is
 * closed in every case; the configuration is kept. */
ORVELA_EXPORT int TAVIO_CloseWriteFile(void);

/* The first time stamp of the next recorded data file comes from the clock
 * (local time).  Returns 0. */
ORVELA_EXPORT int TAVIO_UseSystemTimeStamp(void);

/* The first time stamp of the next recorded data files is the time of the
 * current sample of the file open for reading.  Returns 0. */
ORVELA_EXPORT int TAVIO_SaveReadTimeStamp(void);

/* Store the low 16 bits of value, or the double, little-endian into the write
 * work buffer at *offset and advance *offset by 2 or 8.  Return 0; 213 when
 * offset is NULL or the value would not fit into the 4,096,100-byte buffer
 * (nothing stored). */
ORVELA_EXPORT int TAVIO_PutUShort(int value, unsigned int* offset);
ORVELA_EXPORT int TAVIO_PutDouble(double value, unsigned int* offset);

/* ---- EU calculations (channels of the file open for reading) ----------- */

/* volts = (counts - offset count) / counts per volt.  Returns 0; 210 for a
 * bad ch; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_CalcVoltsFromCounts(int ch, double counts, double* volts);

/* EU of channel ch from volts by its conversion type.  Returns 0; 210 for a
 * bad ch; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_CalcEUFromVolts(int ch, double volts, double* eu);

/* The two conversions above in turn.  Returns 0; 210 for a bad ch; 213 for a
 * NULL out. */
ORVELA_EXPORT int TAVIO_CalcEUFromCounts(int ch, double counts, double* eu);

/* Thermocouple millivolts from degrees Celsius and back, for type numbers 3
 * (B) to 10 (T); any other type is taken as 6 (K).  Return 0; 213 for a NULL
 * out. */
ORVELA_EXPORT int TAVIO_CalcMvFromDegC(double degrees, int type, double* millivolts);
ORVELA_EXPORT int TAVIO_CalcDegCFromMv(double millivolts, int type, double* degrees);

/* Fits coefficients 1..points of channel ch of the write file through its
 * first `points` calibration voltage and EU points (least squares).  Returns
 * 0 (nothing done for 0 points); 210 for a bad ch; 213 for 1 point or more
 * points than order + 1; 223 when the fit fails. */
ORVELA_EXPORT int TAVIO_GeneratePolynomialCoeffs(int ch, int points);

/* ---- Reading ---------------------------------------------------------- */

/* Opens a recorded data file (fixed or keyed header) or KEPR container for
 * reading and fills the read description; the cursor is at sample 0,
 * channel 1.  Returns 0; 200 when the file cannot be opened, is too short or
 * damaged, or the container cannot be parsed; 212 for a keyed header naming
 * an unknown format. */
ORVELA_EXPORT int TAVIO_ReadDataFile(const char* path);

/* Closes the read file; the description stays until the next read.
 * Returns 0; 201 when no read file is open; 219 when closing a container
 * fails. */
ORVELA_EXPORT int TAVIO_CloseReadFile(void);

/* Returns 1 when path is not empty and names a file that can be opened for
 * reading, else 0. */
ORVELA_EXPORT int TAVIO_ExistFile(const char* path);

/* Moves the cursor to channel ch.  Returns 0; 210 for a bad ch. */
ORVELA_EXPORT int TAVIO_SetChannel(int ch);

/* Moves the cursor to sample set k (0-based).  Returns 0; 500 when a
 * container cannot supply the sample set; 219 when its function is missing. */
ORVELA_EXPORT int TAVIO_SetSample(double k);

/* TAVIO_SetChannel(ch), then TAVIO_SetSample(k); the first non-zero result,
 * else 0. */
ORVELA_EXPORT int TAVIO_SetSampleAndChannel(double k, int ch);

/* out: the cursor's sample index and channel (from 1).  Returns 0; 213 for a
 * NULL out. */
ORVELA_EXPORT int TAVIO_GetSampleAndChannel(double* k, int* ch);

/* out: the sample at the cursor as counts (mode 0), volts (1) or EU (2);
 * digital channels give 0.0 or 1.0.  Another mode leaves out unchanged.
 * Returns 0; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_GetSingleSample(int mode, double* out);

/* TAVIO_SetSampleAndChannel(k, ch), then TAVIO_GetSingleSample(mode, out);
 * the first non-zero result, else 0. */
ORVELA_EXPORT int TAVIO_GetSingleSampleExtended(int mode, double k, int ch, double* out);

/* The time of the current sample split into days, hours, minutes and seconds
 * (with fraction).  Returns 0; 214 unless the read format is 1 or 2; 213 for
 * a NULL out. */
ORVELA_EXPORT int TAVIO_GetCurrentSampleTime(int* days, int* hours, int* minutes, double* seconds);

/* out: the time of the current sample in seconds.  Returns 0; 214 unless the
 * read format is 1 or 2; 213 for a NULL out. */
ORVELA_EXPORT int TAVIO_GetCurrentSampleTimeInSeconds(double* out);

/* Translate the source file into destination in output format code 1 to 7
 * (1 to 4 write "Velmont", 5 "KEPR", 6 "DIZ", 7 "DIZ_NOHEADER"): sample sets
 * first .. end - 1 (end below 0 or past the file: up to the last).  The read
 * file is closed afterwards.  Return 0; the source's read code; 219 for an
 * unusable description, unknown format or failed create; else the first
 * failure of writing or closing. */
ORVELA_EXPORT int TAVIO_TranslateSubFile(const char* destination, const char* source, int format,
                                         double first, double end);
ORVELA_EXPORT int TAVIO_TranslateFile(const char* destination, const char* source, int format);

ORVELA_EXTERN_C_END

#endif
