% Reference values for the inner points of the spectral filters, computed with GNU Octave's
% conv and median (Debian: octave). Writes filter_reference.inc. Run in this folder:
%   octave --no-gui --quiet make_filter_reference.m
% The input: 80 points of a smooth curve with two spikes.
k = 0:79;
y = 10 * sin(k / 7) + 0.05 * k .^ 2 - 3 * cos(k / 3);
y(21) = y(21) + 25;
y(52) = y(52) - 40;
% Kernel 1 4 6 4 1 dilated by t (zeros between the taps).
function d = dilated(t)
  d = zeros(1, 4 * t + 1);
  d(1:t:end) = [1 4 6 4 1];
end
binom = conv(conv(conv(dilated(1), dilated(2)), dilated(4)), dilated(8));
med = zeros(1, numel(y) - 4);
for i = 3:numel(y) - 2
  med(i - 2) = median(y(i - 2:i + 2));
end
table = {'y', y;
        'box3', conv(y, [1 1 1], 'valid') / 3;
        'sobel', conv(y, [1 0 -1], 'valid') / 2;
        'laplace', conv(y, [1 -2 1], 'valid') / 4;
        'binomial4', conv(y, binom, 'valid') / 65536;
        'median5', med};
fout = fopen('filter_reference.inc', 'w');
fprintf(fout, '// Written by make_filter_reference.m (GNU Octave %s); do not edit.\n', version());
fprintf(fout, '// The input y, then per filter the values of its inner points (those whose window lies\n');
fprintf(fout, '// inside y): box3 and sobel and laplace from point 1, binomial4 from 30, median5 from 2.\n');
for r = 1:rows(table)
  v = table{r, 2};
  fprintf(fout, 'const std::vector<double> k_%s = {', table{r, 1});
  fprintf(fout, '%.17g, ', v(1:end - 1));
  fprintf(fout, '%.17g};\n', v(end));
end
fclose(fout);
